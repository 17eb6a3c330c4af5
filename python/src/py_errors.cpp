#include "py_errors.h"

#include "engine/byte_file.h"
#include "engine/emulation.h"
#include "engine/scenario_reader.h"

namespace pyemu {
namespace {

// Created once when the module is imported; the module keeps them alive.
PyObject* gRunError = nullptr;
PyObject* gScenarioError = nullptr;
PyObject* gFileWriteError = nullptr;
PyObject* gEntryError = nullptr;
PyObject* gEntryWarning = nullptr;

// A new exception class of the module, derived from `bases` (a class or a tuple of them).
PyObject* NewClass(py::module_& m, const char* name, PyObject* bases, const char* doc)
{
    const std::string qualified = std::string("bldc_emu.") + name;
    PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
    if (type == nullptr) {
        throw py::error_already_set();
    }
    m.add_object(name, py::handle(type));
    return type;
}

} // namespace

void BindErrors(py::module_& m)
{
    PyObject* base = NewClass(m, "Error", PyExc_Exception,
                              "Base of the errors bldc_emu raises for a run or a file.");
    PyObject* runBases = PyTuple_Pack(2, base, PyExc_RuntimeError);
    gRunError = NewClass(m, "RunError", runBases,
                             "A run that cannot be done: an undefined operating point, a "
                             "floating-point fault or a run that would never end.");
    Py_DECREF(runBases);
    PyObject* fileBases = PyTuple_Pack(2, base, PyExc_ValueError);
    gScenarioError = NewClass(m, "ScenarioError", fileBases,
                                  "A scenario file that cannot be read; nothing was changed.");
    Py_DECREF(fileBases);
    PyObject* writeBases = PyTuple_Pack(2, base, PyExc_OSError);
    gFileWriteError = NewClass(m, "FileWriteError", writeBases,
                               "A file that could not be written whole.");
    Py_DECREF(writeBases);
    PyObject* entryBases = PyTuple_Pack(2, base, PyExc_ValueError);
    gEntryError = NewClass(m, "EntryError", entryBases,
                           "A box text its box reads only in part, refused by strict entry.");
    Py_DECREF(entryBases);
    gEntryWarning = NewClass(m, "EntryWarning", PyExc_UserWarning,
                             "A box text its box reads only in part: the box keeps what it read.");

    py::register_exception_translator([](std::exception_ptr error) {
        try {
            if (error) {
                std::rethrow_exception(error);
            }
        } catch (const engine::EmulationError& e) {
            PyErr_SetString(gRunError, e.what());
        } catch (const engine::ScenarioError& e) {
            PyErr_SetString(gScenarioError, e.what());
        } catch (const engine::FileWriteError& e) {
            PyErr_SetString(gFileWriteError, e.what());
        }
    });
}

void ThrowEntryError(const std::string& message)
{
    PyErr_SetString(gEntryError, message.c_str());
    throw py::error_already_set();
}

void ThrowBadValue(const py::handle& value, const std::string& name, const std::string& expected)
{
    const std::string text = "bad value " + py::repr(value).cast<std::string>() + " for " + name +
                             ": expected " + expected;
    throw py::value_error(text);
}

void WarnEntry(const std::string& message)
{
    if (PyErr_WarnEx(gEntryWarning, message.c_str(), 1) != 0) {
        throw py::error_already_set(); // warnings turned into errors
    }
}

} // namespace pyemu
