#pragma once

#include "tests/support/form_controls.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A main window in a folder of its own, with the circuit pictures copied beside it (or not),
// its error boxes collected instead of shown, and its controls found by name.
struct FormFixture {
    QTemporaryDir folder;
    QStringList errors;
    std::unique_ptr<ui::TForm1> form;
    FormControls controls;

    explicit FormFixture(bool withPictures = true)
    {
        for (const char* name : {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp"})
            if (withPictures)
                QFile::copy(QCoreApplication::applicationDirPath() + "/" + name,
                            folder.filePath(name));
        ui::TForm1Options options;
        options.ProgramFolder = folder.path();
        options.ShowError = [this](QWidget*, const QString& text) { errors << text; };
        form = std::make_unique<ui::TForm1>(options);
        controls = FormControls(*form);
    }
};
