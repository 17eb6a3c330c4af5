#include "engine/decimal_separator.h"
#include "engine/sample_log.h"
#include "engine/scenario.h"
#include "engine/scenario_reader.h"
#include "tests/cli/run_in_process.h"
#include "tests/support/form_controls.h"
#include "tests/support/form_fixture.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <iterator>
#include <memory>
#include <sstream>

// Scenario files in the window: saved and loaded through the window's own actions, checked
// against the command line run in-process.

namespace {

struct ScenarioFixture : FormFixture {
    using FormFixture::FormFixture;

    // Types into a box and leaves it, as a user does.
    void Type(int tag, const QString& text)
    {
        ui::ParamEdit* box = controls.ParamEdits[static_cast<std::size_t>(tag)];
        box->setText(text);
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &focusOut);
    }

    // Runs the window's action, answering its file dialog with `path`.
    void Trigger(const char* action, const QString& path)
    {
        QTimer::singleShot(0, [path] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        form->findChild<QAction*>(action)->trigger();
    }

    // The log the "txt" button writes.
    QByteArray Log() const
    {
        controls.SpeedButton4->click();
        QFile file(folder.filePath("log.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Everything a load could change: boxes, settings, view, parameters, run and graph.
    struct State {
        engine::Scenario Scenario;
        std::array<float, engine::kParamCount + 1> Params{};
        std::string Run;
        QString Summary;
        int ViewStart = 0;
        int ViewLen = 0;
        int TrackBars = 0;
        bool operator==(const State&) const = default;
    };
    State Now() const
    {
        return {form->CurrentScenario(),
                form->Session().Engine().Params.Slot,
                engine::BuildSampleLog(form->Session().Engine().Run, ','),
                controls.StringGrid1->Cell(1, 0),
                form->Session().Window().Start,
                form->Session().Window().Len,
                controls.TrackBar1->value() * 100 + controls.TrackBar2->value()};
    }
};

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

} // namespace

class FormScenarioTest : public QObject {
    Q_OBJECT

private slots:
    void init() { engine::SetDecimalSeparator(','); }

    void windowScenarioRunsTheSameInTheCommandLine()
    {
        ScenarioFixture f;
        f.Type(1, "7,4");
        f.Type(5, "2,5x"); // the entry rule reads "2,5"
        f.Type(9, "20");
        f.controls.CheckBox2->click();
        f.controls.RadioGroup1->Item(0)->click();
        f.controls.RadioGroup2->Item(0)->click();
        f.controls.ComboBox1->setCurrentIndex(3);
        const QString file = f.folder.filePath("window.ini");
        f.Trigger("SaveScenario", file);
        QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join('\n')));
        QCOMPARE(engine::LoadScenario(file.toStdString()), f.form->CurrentScenario());

        const cli::Outcome cli =
            cli::RunCli({"--decimal-separator", ",", "--load", file.toStdString(), "--log", "-"});
        QCOMPARE(cli.status, 0);
        QCOMPARE(QByteArray::fromStdString(cli.out), f.Log());
    }

    void commandLineScenarioLoadsAsItsOptionsRun()
    {
        const std::vector<std::string> options =
            Words("--decimal-separator , --set 1=14.8 --current-scale 1 --duty-scale 3 --h-pwm off "
                  "--l-pwm on --mosfet 0 --pattern 180 --view 2");
        ScenarioFixture f;
        const QString file = f.folder.filePath("cli.ini");
        auto save = options;
        save.insert(save.end(), {"--save", file.toStdString()});
        QCOMPARE(cli::RunCli(save).status, 0);
        auto log = options;
        log.insert(log.end(), {"--log", "-"});
        const cli::Outcome direct = cli::RunCli(log);
        QCOMPARE(direct.status, 0);

        f.Trigger("LoadScenario", file);
        QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join('\n')));
        QCOMPARE(f.Log(), QByteArray::fromStdString(direct.out));
        // Without the schematic's pictures the load still runs, and says what is missing.
        ScenarioFixture bare(false);
        bare.errors.clear(); // the start-up's own report
        bare.Trigger("LoadScenario", file);
        QCOMPARE(bare.errors.size(), 1);
        QVERIFY(bare.errors[0].contains("circuit.bmp"));
        QCOMPARE(bare.Log(), QByteArray::fromStdString(direct.out));
        QCOMPARE(f.form->CurrentScenario(), engine::LoadScenario(file.toStdString()));
        QCOMPARE(f.controls.ComboBox1->currentIndex(), 2);
        QVERIFY(f.controls.RadioButton2->isChecked());
        // The graph shows the new run whole, with the loaded view's channels.
        QCOMPARE(f.form->Session().Window().Len, f.form->Session().Engine().Run.SampleCount);
        QVERIFY(f.form->Session().Engine().Result.ChannelCount > 0);
    }

    void loadingMovesTheTrackBarsToTheLoadedValues()
    {
        ScenarioFixture f;
        f.controls.TrackBar2->setValue(0);
        engine::Scenario full = f.form->CurrentScenario();
        full.Texts[10] = "100";
        const QString path = f.folder.filePath("full.ini");
        engine::SaveScenario(path.toStdString(), full);
        f.Trigger("LoadScenario", path);
        QCOMPARE(f.controls.TrackBar2->value(), 10);
        // One notch down from there is 90 %, as after the same edit by hand.
        f.controls.TrackBar2->setValue(9);
        QCOMPARE(f.controls.ParamEdits[10]->text(), QString("90"));
    }

    void badFilesChangeNothing()
    {
        ScenarioFixture f;
        f.Type(2, "0,05");
        f.controls.CheckBox1->click();
        f.controls.ComboBox1->setCurrentIndex(2);
        f.controls.SpeedButton1->click();
        const ScenarioFixture::State before = f.Now();

        // A file that differs from the window in every part, broken only at its end.
        engine::Scenario other = f.form->CurrentScenario();
        other.Texts[1] = "9";
        other.Texts[8] = "45";
        other.Settings.HighSidePwm = !other.Settings.HighSidePwm;
        other.Settings.DriverKind = 0;
        other.View = 3;
        const std::string good = engine::ScenarioText(other);
        const auto replaced = [&](const std::string& from, const std::string& to) {
            std::string text = good;
            text.replace(text.find(from), from.size(), to);
            return text;
        };
        // Each broken in one way; the reader's own tests check the line numbers.
        const std::vector<std::pair<const char*, std::string>> files{
            {"not a scenario", "INDEX\tTIME(us)\r\n0\t0,0\r\n"},
            {"newer", replaced("format = 1", "format = 2")},
            {"unknown key", good + "Colour = red\n"},
            {"wrong view", replaced("View = 3", "View = three")},
            {"wrong switch", replaced("LSidePwm = ", "LSidePwm = maybe # ")},
            {"missing key", good.substr(0, good.find("View ="))},
        };
        for (const auto& [name, text] : files) {
            const QString path = f.folder.filePath(QString(name) + ".ini");
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(text.data(), qint64(text.size()));
            out.close();
            f.errors.clear();
            f.Trigger("LoadScenario", path);
            QCOMPARE(f.errors.size(), 1);
            QVERIFY2(f.errors[0].startsWith("Scenario \"" + path + "\", line "),
                     qPrintable(f.errors[0]));
            QVERIFY2(f.Now() == before, name);
        }

        // A file the engine would refuse to run changes nothing either, and names the file.
        engine::Scenario stalled = other;
        stalled.Texts[4] = "0";
        const QString refusedPath = f.folder.filePath("refused.ini");
        engine::SaveScenario(refusedPath.toStdString(), stalled);
        f.errors.clear();
        f.Trigger("LoadScenario", refusedPath);
        QCOMPARE(f.errors.size(), 1);
        QVERIFY2(f.errors[0].startsWith("Scenario \"" + refusedPath + "\": "),
                 qPrintable(f.errors[0]));
        QVERIFY(f.Now() == before);

        // Missing and unreadable files name the file.
        for (const QString& path : {f.folder.filePath("none.ini"), f.folder.path()}) {
            QString message;
            try {
                f.form->LoadScenarioFile(path);
            } catch (const engine::ScenarioError& error) {
                message = QString::fromStdString(error.what());
            }
            QVERIFY2(message.startsWith("Cannot read scenario \"" + path + "\"."),
                     qPrintable(message));
            QVERIFY(f.Now() == before);
        }
        QVERIFY(!QFile::exists(f.folder.filePath("none.ini")));
    }
};

int main(int argc, char** argv)
{
    // The dialogs start in the home folder: the test gets a home of its own.
    const QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    QApplication app(argc, argv);
    FormScenarioTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_form_scenario.moc"
