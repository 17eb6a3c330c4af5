#include "engine/decimal_separator.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/scroll_bar_adapter.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "tests/support/form_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using ui::TForm1;

namespace {

// A window whose pictures and log live in a folder of the test's own.
struct FormFixture {
    QTemporaryDir folder;
    QStringList errors;
    std::unique_ptr<TForm1> form;
    FormControls controls;

    explicit FormFixture(bool withPictures = true)
    {
        if (withPictures) {
            for (const char* name : {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp"})
                QFile::copy(QCoreApplication::applicationDirPath() + "/" + name,
                            folder.filePath(name));
        }
        ui::TForm1Options options;
        options.ProgramFolder = folder.path();
        options.ShowError = [this](QWidget*, const QString& text) {
            errors << text;
            busyAtLastError = QApplication::overrideCursor() != nullptr;
        };
        form = std::make_unique<TForm1>(options);
        controls = FormControls(*form);
    }

    bool busyAtLastError = false;

    QString Text(int tag) const
    {
        return controls.ParamEdits[static_cast<std::size_t>(tag)]->text();
    }

    void Leave(QWidget* box)
    {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &focusOut);
    }

    void Type(int tag, const QString& text)
    {
        ui::ParamEdit* box = controls.ParamEdits[static_cast<std::size_t>(tag)];
        box->setText(text);
        Leave(box);
    }

    int Samples() const { return form->Session().Engine().Run.SampleCount; }
};

} // namespace

class TForm1Test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }
    void cleanup() { engine::SetDecimalSeparator('.'); }

    void startsWithNormalisedTextsAndNoRun()
    {
        FormFixture f;
        const QStringList expected = {"11.1",   "0.0342", "1390", "0.0530", "1.80",
                                      "4000.0", "2.5",    "25.0", "10.0",   "100"};
        for (int tag = 1; tag <= 10; ++tag)
            QCOMPARE(f.Text(tag), expected[tag - 1]);
        QCOMPARE(f.Samples(), 0);
        QCOMPARE(f.form->Session().Window().Start, 0);
        QCOMPARE(f.form->Session().Window().Len, 1);
        QCOMPARE(f.controls.Edit0->text(), QString("0"));
        QCOMPARE(f.controls.PageControl1->ActivePageIndex(), 1);
        QCOMPARE(f.controls.PageControl1->Page(1)->objectName(), QString("TabSheet2"));
        QCOMPARE(f.form->windowTitle(), QString("Brushless sensorless motor demo"));
        QCOMPARE(f.controls.StringGrid1->Cell(1, 0), QString());
        QVERIFY(f.errors.isEmpty());
        QVERIFY(f.form->CircuitBitmap().has_value());
        QVERIFY(!f.form->CircuitBitmap()->isNull());
    }

    void startsWithTheUsersSeparator()
    {
        engine::SetDecimalSeparator(',');
        FormFixture f;
        QCOMPARE(f.Text(1), QString("11,1"));
        QCOMPARE(f.Text(2), QString("0,0342"));
        QCOMPARE(f.Text(6), QString("4000,0"));
    }

    void controlsCarryTheirNamesTagsAndFlags()
    {
        FormFixture f;
        for (int tag = 1; tag <= 10; ++tag) {
            auto* box = f.form->findChild<QLineEdit*>(QString("Edit%1").arg(tag));
            QVERIFY(box);
            QCOMPARE(box->property("Tag").toInt(), tag);
        }
        QVERIFY(f.controls.ParamEdits[10]->isReadOnly());
        QVERIFY(f.controls.Edit0->isReadOnly());
        QVERIFY(!(f.controls.Edit0->focusPolicy() & Qt::TabFocus));
        QVERIFY(!(f.controls.TrackBar1->focusPolicy() & Qt::TabFocus));
        QVERIFY(!(f.controls.TrackBar2->focusPolicy() & Qt::TabFocus));
        QCOMPARE(f.controls.ScrollBar2->Tag(), 12345);
        QCOMPARE(f.controls.ComboBox1->currentIndex(), 1);
        QCOMPARE(f.controls.ComboBox1->itemText(2), QString("Tarvel Resist.: 2.2K/10K/20K"));
        QVERIFY(f.controls.CheckBox1->isChecked());
        QVERIFY(!f.controls.CheckBox2->isChecked());
        QCOMPARE(f.controls.RadioGroup1->ItemIndex(), 1);
        QCOMPARE(f.controls.RadioGroup2->ItemIndex(), 1);
        QVERIFY(f.controls.RadioButton1->isChecked());
        for (const char* name : {"Edit101", "Edit106", "Edit111", "Edit123", "Edit151", "Edit152"})
            QVERIFY(f.form->findChild<QLineEdit*>(name)->isReadOnly());
        // "Emulate" comes first in the tab order.
        QCOMPARE(f.controls.Button1->nextInFocusChain(), f.controls.ParamEdits[1]);
    }

    void gridFillsItsControlAtTheMinimumSize()
    {
        FormFixture f;
        QCOMPARE(f.form->minimumSize(), QSize(782, 529));
        QCOMPARE(f.form->size(), QSize(782, 529));
        QCOMPARE(f.controls.StringGrid1->size(), QSize(539, 470));
        QCOMPARE(f.controls.StringGrid1->ColWidth(0), 56);
        QCOMPARE(f.controls.StringGrid1->ColWidth(1), 480);
        QCOMPARE(f.controls.StringGrid1->RowHeight(0), 39);
        QCOMPARE(f.controls.StringGrid1->RowHeight(1), 31);
        QCOMPARE(f.controls.StringGrid1->RowHeight(7), 234);
        f.form->show();
        f.controls.Button1->click();
        QVERIFY(!f.controls.StringGrid1->verticalScrollBar()->isVisible());
    }

    void resizingMovesTheColumnAndGrowsThePages()
    {
        FormFixture f;
        f.form->show();
        f.form->resize(1000, 700);
        QCOMPARE(f.controls.ParamEdits[1]->geometry(), QRect(950, 22, 41, 21));
        QCOMPARE(f.controls.Button1->geometry(), QRect(922, 446, 69, 21));
        QCOMPARE(f.controls.PageControl1->geometry(), QRect(4, 4, 793, 690));
        QCOMPARE(f.controls.StringGrid1->size(), QSize(539 + 218, 470 + 171));
        QCOMPARE(f.controls.StringGrid1->ColWidth(1), 480 + 218);
        QCOMPARE(f.controls.StringGrid1->RowHeight(7), 234 + 171);
        QCOMPARE(f.controls.SpeedButton4->geometry().topLeft(), QPoint(544 + 218, 364 + 171));
        QCOMPARE(f.controls.ScrollBar2->Bar()->geometry(), QRect(0, 474 + 171, 567 + 218, 17));
        f.form->resize(500, 300);
        QCOMPARE(f.form->size(), QSize(782, 529));
    }

    void leavingABoxReadsItAndRecalculates()
    {
        FormFixture f;
        f.Type(1, "12abc");
        QCOMPARE(f.Text(1), QString("12.0"));
        QCOMPARE(f.Samples() > 1000, true);
        QCOMPARE(f.form->Session().Window().Start, 0);
        QCOMPARE(f.form->Session().Window().Len, f.Samples());
        QVERIFY(f.controls.StringGrid1->Cell(1, 0).startsWith("RPM = "));
        // The maximum-current rule follows every box: 100 A is above the short circuit bound.
        f.Type(9, "100");
        QCOMPARE(f.Text(9), QString("70.2"));
    }

    void leavingTheReadOnlyDutyBoxRunsAgain()
    {
        FormFixture f;
        f.Leave(f.controls.ParamEdits[10]);
        QCOMPARE(f.Text(10), QString("100"));
        QCOMPARE(f.Samples(), 4326);
        QCOMPARE(f.controls.StringGrid1->Cell(1, 0), QString("RPM = 13892;   Timing = 25.0 deg"));
    }

    void trackBarsSetCurrentAndDuty()
    {
        FormFixture f;
        f.controls.TrackBar2->setValue(5);
        QCOMPARE(f.Text(10), QString("50"));
        QCOMPARE(f.controls.StringGrid1->Cell(1, 0), QString("RPM = 6946;   Timing = 12.5 deg"));
        f.controls.TrackBar1->setValue(10);
        QCOMPARE(f.Text(9), QString("60.0"));
        f.controls.TrackBar1->setValue(1);
        QCOMPARE(f.Text(9), QString("1.8"));
    }

    void emulateShowsTheWholeRun()
    {
        FormFixture f;
        f.controls.Button1->click();
        const int n = f.Samples();
        QCOMPARE(n, 4326);
        QCOMPARE(f.form->Session().Window().Start, 0);
        QCOMPARE(f.form->Session().Window().Len, n);
        QCOMPARE(f.controls.ScrollBar2->Position(), 1);
        QCOMPARE(f.controls.ScrollBar2->Min(), 1);
        QCOMPARE(f.controls.ScrollBar2->Max(), n);
        QCOMPARE(f.controls.ScrollBar2->PageSize(), n - 1);
        QCOMPARE(f.controls.ScrollBar2->LargeChange(), n / 2);
    }

    void zoomButtonsAndScrolling()
    {
        FormFixture f;
        f.controls.Button1->click();
        const auto window = [&] {
            return QPair<int, int>(f.form->Session().Window().Start, f.form->Session().Window().Len);
        };
        f.controls.SpeedButton1->click();
        QCOMPARE(window(), qMakePair(1081, 2163));
        QCOMPARE(f.controls.ScrollBar2->PageSize(), 2162);
        QCOMPARE(f.controls.ScrollBar2->Position(), 1082);
        QCOMPARE(f.controls.ScrollBar2->LargeChange(), 1081);
        f.controls.SpeedButton1->click();
        QCOMPARE(window(), qMakePair(1621, 1081));
        f.controls.SpeedButton2->click();
        QCOMPARE(window(), qMakePair(1081, 2162));
        f.controls.SpeedButton2->click();
        QCOMPARE(window(), qMakePair(0, 4324));
        f.controls.SpeedButton2->click();
        QCOMPARE(window(), qMakePair(0, 4326));
        f.controls.SpeedButton1->click();
        // Scrolling past the end shows the window that ends at the last sample.
        f.controls.ScrollBar2->SetPosition(4000);
        QCOMPARE(window(), qMakePair(4326 - 2163, 2163));
        QCOMPARE(f.controls.ScrollBar2->Position(), 4326 - 2163 + 1);
        f.controls.SpeedButton3->click();
        QCOMPARE(window(), qMakePair(0, 4326));
        // Zooming in ends with a window the graph can still scale.
        for (int i = 0; i < 20; ++i)
            f.controls.SpeedButton1->click();
        QVERIFY(f.form->Session().Window().Len >= 2);
        QVERIFY(f.form->Session().Window().Start + f.form->Session().Window().Len <= f.Samples());
    }

    void pwmSideClickRunsWithoutMovingTheScrollBar()
    {
        FormFixture f;
        f.controls.CheckBox2->click();
        QVERIFY(f.controls.CheckBox2->isChecked());
        const int n = f.Samples();
        QVERIFY(n > 0);
        QCOMPARE(f.form->Session().Window().Len, n);
        QCOMPARE(f.controls.ScrollBar2->PageSize(), f.controls.ScrollBar2->Max());
        QCOMPARE(f.controls.ScrollBar2->LargeChange(), 1);
    }

    void viewSelectorRebuildsOnlyTheChannels()
    {
        FormFixture f;
        f.controls.Button1->click();
        f.controls.SpeedButton1->click();
        const int start = f.form->Session().Window().Start;
        f.controls.ComboBox1->setCurrentIndex(2);
        QCOMPARE(f.form->Session().Engine().Result.ChannelCount, 6);
        QCOMPARE(f.form->Session().Window().Start, start);
        f.controls.ComboBox1->setCurrentIndex(0);
        QCOMPARE(f.form->Session().Engine().Result.ChannelCount, 1);
        QCOMPARE(QString::fromStdString(f.form->Session().Engine().Result.Channels[0].Name),
                 QString("Battery"));
    }

    void txtWritesTheLogBesideTheProgram()
    {
        FormFixture f;
        f.controls.SpeedButton4->click();
        QFile log(f.folder.filePath("log.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.size(), 59);
        log.close();
        f.controls.Button1->click();
        f.controls.SpeedButton4->click();
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("\r\n"), 4327);
        QVERIFY(f.errors.isEmpty());
    }

    void txtIntoAMissingFolderShowsTheError()
    {
        FormFixture f;
        f.controls.Button1->click();
        QVERIFY(QDir(f.folder.path()).removeRecursively());
        f.controls.SpeedButton4->click();
        QCOMPARE(f.errors.size(), 1);
        QVERIFY(f.errors[0].startsWith("Cannot create file \"" + f.folder.path() + "/log.txt\". "));
        QVERIFY(f.errors[0].endsWith("."));
        QCOMPARE(f.Samples(), 4326);
    }

    // A handler that may take long works under the wait cursor, which is back however it ends.
    void longHandlersShowTheWaitCursor()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QList<Qt::CursorShape> whilePainting;
        const auto paint = f.controls.StringGrid1->OnDrawCell;
        f.controls.StringGrid1->OnDrawCell = [&](graph::Canvas& c, int col, int row,
                                                 const graph::TRect& r) {
            const QCursor* cursor = QApplication::overrideCursor();
            whilePainting << (cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
            paint(c, col, row, r);
        };
        f.controls.Button1->click();
        QVERIFY(!whilePainting.isEmpty());
        QVERIFY(whilePainting.count(Qt::WaitCursor) == whilePainting.size());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // An error escapes the handler: the cursor is back before the error is shown.
        QVERIFY(QDir(f.folder.path()).removeRecursively());
        f.controls.SpeedButton4->click();
        QCOMPARE(f.errors.size(), 1);
        QVERIFY(!f.busyAtLastError);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        f.controls.StringGrid1->OnDrawCell = paint;
    }

    void circuitScrollBarRunsOneAngle()
    {
        FormFixture f;
        f.controls.ScrollBar1->setValue(30);
        QCOMPARE(f.controls.Edit0->text(), QString("30"));
        QCOMPARE(f.Samples(), 1);
        QCOMPARE(f.form->Session().Engine().Run.Samples[0].Angle, 30.0f);
        f.controls.ScrollBar1->setValue(360);
        QCOMPARE(f.controls.ScrollBar1->value(), 0);
        QCOMPARE(f.controls.Edit0->text(), QString("0"));
        QCOMPARE(f.form->Session().Engine().Run.Samples[0].Angle, 0.0f);
        // The graph page can be painted after a one-sample run.
        f.controls.StringGrid1->Repaint();
        QVERIFY(f.errors.isEmpty());
    }

    void engineErrorsKeepThePreviousRun()
    {
        FormFixture f;
        f.controls.Button1->click();
        const QString header = f.controls.StringGrid1->Cell(1, 0);
        f.Type(4, "0");
        QCOMPARE(f.errors.size(), 1);
        QVERIFY(f.errors[0].contains("Motor resistance is 0 Ohms"));
        QVERIFY(f.errors[0].endsWith("."));
        QCOMPARE(f.Text(4), QString("0.0000"));
        QCOMPARE(f.Samples(), 4326);
        QCOMPARE(f.controls.StringGrid1->Cell(1, 0), header);
    }

    void radioGroupsRecomposeThePicture()
    {
        FormFixture f;
        const QImage withStrips = *f.form->CircuitBitmap();
        f.controls.RadioGroup1->Item(0)->click();
        f.controls.RadioGroup2->Item(0)->click();
        QImage base(QCoreApplication::applicationDirPath() + "/circuit.bmp");
        QCOMPARE(f.form->CircuitBitmap()->convertToFormat(QImage::Format_RGB32),
                 base.convertToFormat(QImage::Format_RGB32));
        QVERIFY(withStrips != *f.form->CircuitBitmap());
        QVERIFY(f.errors.isEmpty());
    }

    void missingPicturesAreReportedAndStartUpGoesOn()
    {
        FormFixture f(false);
        QCOMPARE(f.errors.size(), 1);
        QVERIFY(f.errors[0].contains("circuit.bmp"));
        QCOMPARE(f.Text(1), QString("11.1"));
        f.controls.Button1->click();
        QCOMPARE(f.Samples(), 4326);
    }

    void graphMenuOffersTheExports()
    {
        FormFixture f;
        QStringList texts;
        for (const QAction* action : f.form->Tools().GraphContextMenu()->actions())
            texts << action->text();
        QVERIFY(texts.contains("Save graph as PNG...\tCtrl+S"));
        QVERIFY(texts.contains("Export view...\tCtrl+E"));
    }

    void closingReleasesThePicture()
    {
        FormFixture f;
        f.form->show();
        f.form->close();
        QVERIFY(!f.form->CircuitBitmap().has_value());
    }
};

QTEST_MAIN(TForm1Test)
#include "tst_tform1.moc"
