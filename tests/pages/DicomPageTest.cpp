#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <map>

#include "PageFixture.h"
#include "config/ConfigKeys.h"
#include "pages/DicomPage.h"
#include "ui/UpDownButtons.h"

namespace {

class DicomPageTest : public PageTest<DicomPage> {
  protected:
    void SetUp() override { open(); }

    QLineEdit* edit(const char* name) { return child<QLineEdit>(*page, name); }
    QCheckBox* box(const char* name) { return child<QCheckBox>(*page, name); }
    void copiesUp() { child<UpDownButtons>(*page, "copiesSpin")->upButton()->click(); }
    void copiesDown() { child<UpDownButtons>(*page, "copiesSpin")->downButton()->click(); }
};

} // namespace

TEST_F(DicomPageTest, PrintAllInGrayscaleIsTheInverseOfColourImages)
{
    EXPECT_FALSE(box("printGrayscale")->isChecked());
    box("printGrayscale")->click();
    ASSERT_TRUE(leave());
    EXPECT_FALSE(config().SupportsColorImage);

    activate();
    EXPECT_TRUE(box("printGrayscale")->isChecked());
    box("printGrayscale")->click();
    ASSERT_TRUE(leave());
    EXPECT_TRUE(config().SupportsColorImage);
}

TEST_F(DicomPageTest, EveryValueGoesBackIntoTheRecord)
{
    edit("printerName")->setText(QStringLiteral("Radiology"));
    edit("sessionLabel")->setText(QStringLiteral("Session"));
    edit("copies")->setText(QStringLiteral("3"));
    edit("port")->setText(QStringLiteral("11112"));
    child<QComboBox>(*page, "priority")->setCurrentIndex(2);
    child<QComboBox>(*page, "medium")->setCurrentIndex(1);
    child<QComboBox>(*page, "destination")->setCurrentIndex(1);
    for (const char* name : {"acceptColor", "supportAnnotations", "supportPrintJob", "useCmyk", "lenientMode",
                             "ignoreMagnification", "ignoreConfiguration", "ignoreAnnotationFormat", "skipImagePixel"})
        box(name)->click();
    ASSERT_TRUE(leave());
    const Configuration& c = config();
    EXPECT_EQ(c.PrinterName, "Radiology");
    EXPECT_EQ(c.Label, "Session");
    EXPECT_EQ(c.Copies, 3);
    EXPECT_EQ(c.Port, 11112);
    EXPECT_EQ(c.Priority, 2);
    EXPECT_EQ(c.MediumType, 1);
    EXPECT_EQ(c.Destination, 1);
    EXPECT_TRUE(c.BasicGrayscaleMetaSOPClass);
    EXPECT_FALSE(c.BasicColorMetaSOPClass);
    EXPECT_TRUE(c.Annotation);
    EXPECT_TRUE(c.PrintJob);
    EXPECT_TRUE(c.UseCMYK);
    EXPECT_FALSE(c.LenientMode);
    EXPECT_FALSE(c.IgnoreMagnificationType);
    EXPECT_FALSE(c.IgnoreConfigurationInformation);
    EXPECT_FALSE(c.IgnoreAnnotationFormat);
    EXPECT_FALSE(c.SkipImagePixel);
    EXPECT_EQ(c.ServerAETitle, "ZELNORSRV");
}

TEST_F(DicomPageTest, CopiesStepPastTheRangeAndTheNextReadingComplains)
{
    edit("copies")->setText(QStringLiteral("1000"));
    copiesUp();
    EXPECT_EQ(edit("copies")->text(), "1001");
    EXPECT_TRUE(ui.messages.empty());

    copiesUp();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer between 1 and 1000.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(edit("copies")->text(), "1002");
    copiesDown();
    EXPECT_EQ(edit("copies")->text(), "1001");

    EXPECT_FALSE(leave());
    EXPECT_EQ(activePage(), kThisPage);
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer between 1 and 1000.");
    EXPECT_EQ(page->focusWidget(), edit("copies"));
    EXPECT_EQ(config().Copies, 1);
}

TEST_F(DicomPageTest, KeysAndWheelInCopiesStepItAsItsArrowsDo)
{
    // As the arrows: no clamping, and the next step's reading complains.
    edit("copies")->setText(QStringLiteral("1000"));
    QTest::keyClick(edit("copies"), Qt::Key_Up);
    EXPECT_EQ(edit("copies")->text(), "1001");
    EXPECT_TRUE(ui.messages.empty());
    turnWheel(edit("copies"), 120);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer between 1 and 1000.");
    EXPECT_EQ(edit("copies")->text(), "1002");
    QTest::keyClick(edit("copies"), Qt::Key_Down);
    EXPECT_EQ(edit("copies")->text(), "1001");
    EXPECT_EQ(ui.messages.size(), 2u);

    edit("copies")->setText(QStringLiteral("5"));
    turnWheel(edit("copies"), -240);
    EXPECT_EQ(edit("copies")->text(), "3");
    turnWheel(edit("copies"), 60); // half a notch: not yet a step
    EXPECT_EQ(edit("copies")->text(), "3");
    turnWheel(edit("copies"), 60);
    EXPECT_EQ(edit("copies")->text(), "4");

    // Letters: the message, and the value last read steps.
    edit("copies")->setText(QStringLiteral("abc"));
    QTest::keyClick(edit("copies"), Qt::Key_Up);
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    EXPECT_EQ(edit("copies")->text(), "5");
    EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_F(DicomPageTest, LettersStopTheReadingAndLaterFieldsKeepTheirValues)
{
    edit("copies")->setText(QStringLiteral("5"));
    copiesUp();
    edit("copies")->setText(QStringLiteral("abc"));
    edit("sessionLabel")->setText(QStringLiteral("typed after"));
    copiesUp();
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    EXPECT_EQ(edit("copies")->text(), "7");
    EXPECT_EQ(edit("sessionLabel")->text(), "DICOM Print Session #");

    edit("copies")->setText(QStringLiteral("x"));
    EXPECT_FALSE(leave());
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    EXPECT_EQ(page->focusWidget(), edit("copies"));

    edit("copies")->setText(QStringLiteral("12abc"));
    const std::size_t shown = ui.messages.size();
    EXPECT_TRUE(leave());
    EXPECT_EQ(ui.messages.size(), shown);
    EXPECT_EQ(config().Copies, 12);
}

TEST_F(DicomPageTest, ThePortRunsFromZeroTo65535)
{
    for (const char* refused : {"65536", "65537", "-1"}) {
        edit("port")->setText(QString::fromLatin1(refused));
        EXPECT_FALSE(leave()) << refused;
        EXPECT_EQ(ui.lastMessage().text, "Please enter an integer between 0 and 65535.");
        EXPECT_EQ(page->focusWidget(), edit("port"));
    }
    // Every click reads the whole page, the port included.
    copiesUp();
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer between 0 and 65535.");
    EXPECT_EQ(edit("copies")->text(), "2");

    for (const char* accepted : {"0", "65535"}) {
        activate();
        edit("port")->setText(QString::fromLatin1(accepted));
        EXPECT_TRUE(leave()) << accepted;
        EXPECT_EQ(config().Port, QString::fromLatin1(accepted).toInt());
    }
}

// The page's bounds are the key table's: for every key of the table with a
// range, its field on the page refuses just outside and takes just inside.
TEST_F(DicomPageTest, EveryRangeOfTheKeyTableBoundsItsFieldOnThePage)
{
    const std::map<std::string_view, const char*> fields = {{"Copies", "copies"}, {"Port", "port"}};
    int bounded = 0;
    for (const SectionDef& section : fileSections())
        for (const KeyDef<Configuration>& def : section.settingsKeys) {
            if (!def.rule.accepted)
                continue;
            ++bounded;
            ASSERT_EQ(fields.count(def.key), 1u) << def.key << " has a range but no field on the page";
            const char* name = fields.at(def.key);
            const auto [low, high] = *def.rule.accepted;
            const QString prompt = QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high);
            for (const long long outside : {static_cast<long long>(low) - 1, static_cast<long long>(high) + 1}) {
                activate();
                edit(name)->setText(QString::number(outside));
                EXPECT_FALSE(leave()) << def.key << " " << outside;
                EXPECT_EQ(ui.lastMessage().text, prompt);
            }
            for (const int inside : {low, high}) {
                activate();
                edit(name)->setText(QString::number(inside));
                EXPECT_TRUE(leave()) << def.key << " " << inside;
                EXPECT_EQ(config().*def.number, inside);
            }
        }
    EXPECT_EQ(bounded, static_cast<int>(fields.size()));
}

TEST_F(DicomPageTest, ListsInCodeOrderAndTooltipsOnLabelAndControl)
{
    auto items = [this](const char* name) {
        QStringList texts;
        auto* list = child<QComboBox>(*page, name);
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    };
    EXPECT_EQ(items("priority"), (QStringList{"LOW", "MED", "HIGH"}));
    EXPECT_EQ(items("medium"), (QStringList{"PAPER", "FILM"}));
    EXPECT_EQ(items("destination"), (QStringList{"MAGAZINE", "PROCESSOR"}));
    EXPECT_EQ(child<QComboBox>(*page, "priority")->currentText(), "MED");
    EXPECT_EQ(box("acceptGrayscale")->toolTip(),
              "Enables support of the 'BasicGrayScaleMetaSOPClass' to accept grayscale images.");
    EXPECT_EQ(child<QLabel>(*page, "portLabel")->toolTip(), "Server TCP/IP listening port, e.g. 104.");
    EXPECT_EQ(edit("port")->toolTip(), child<QLabel>(*page, "portLabel")->toolTip());
    EXPECT_EQ(edit("copies")->toolTip(), "Number of copies (if session is printed).");
}

TEST_F(DicomPageTest, EveryFieldTravelsOnItsOwnThroughTheFileAndBack)
{
    const char* const boxes[] = {
        "acceptGrayscale", "acceptColor", "supportAnnotations",  "supportPrintJob",     "useCmyk",
        "printGrayscale",  "lenientMode", "ignoreMagnification", "ignoreConfiguration", "ignoreAnnotationFormat",
        "skipImagePixel"};
    // Two rounds with opposite, irregular patterns: a box wired to another
    // box's field, or two fields stored together, shows in one of them.
    for (const bool odd : {false, true}) {
        SCOPED_TRACE(odd ? "odd round" : "even round");
        std::map<std::string, bool> ticked;
        int i = 0;
        for (const char* name : boxes) {
            const bool on = ((i * 7 + 3) % 5 < 2) != odd; // neither all alike nor alternating
            box(name)->setChecked(on);
            ticked[name] = on;
            ++i;
        }
        edit("printerName")->setText(odd ? QStringLiteral("Radiology 2") : QStringLiteral("Mammography"));
        edit("sessionLabel")->setText(odd ? QStringLiteral("Evening #") : QStringLiteral("Morning #"));
        edit("copies")->setText(odd ? QStringLiteral("7") : QStringLiteral("3"));
        edit("port")->setText(odd ? QStringLiteral("11112") : QStringLiteral("4104"));
        child<QComboBox>(*page, "priority")->setCurrentIndex(odd ? 0 : 2);
        child<QComboBox>(*page, "medium")->setCurrentIndex(odd ? 1 : 0);
        child<QComboBox>(*page, "destination")->setCurrentIndex(odd ? 0 : 1);

        leaveSaveLoadAndActivate();

        const Configuration& c = config();
        EXPECT_EQ(c.BasicGrayscaleMetaSOPClass, ticked["acceptGrayscale"]);
        EXPECT_EQ(c.BasicColorMetaSOPClass, ticked["acceptColor"]);
        EXPECT_EQ(c.Annotation, ticked["supportAnnotations"]);
        EXPECT_EQ(c.PrintJob, ticked["supportPrintJob"]);
        EXPECT_EQ(c.UseCMYK, ticked["useCmyk"]);
        EXPECT_EQ(c.SupportsColorImage, !ticked["printGrayscale"]);
        EXPECT_EQ(c.LenientMode, ticked["lenientMode"]);
        EXPECT_EQ(c.IgnoreMagnificationType, ticked["ignoreMagnification"]);
        EXPECT_EQ(c.IgnoreConfigurationInformation, ticked["ignoreConfiguration"]);
        EXPECT_EQ(c.IgnoreAnnotationFormat, ticked["ignoreAnnotationFormat"]);
        EXPECT_EQ(c.SkipImagePixel, ticked["skipImagePixel"]);
        EXPECT_EQ(c.PrinterName, odd ? "Radiology 2" : "Mammography");
        EXPECT_EQ(c.Label, odd ? "Evening #" : "Morning #");
        EXPECT_EQ(c.Copies, odd ? 7 : 3);
        EXPECT_EQ(c.Port, odd ? 11112 : 4104);
        EXPECT_EQ(c.Priority, odd ? 0 : 2);
        EXPECT_EQ(c.MediumType, odd ? 1 : 0);
        EXPECT_EQ(c.Destination, odd ? 0 : 1);
        for (const char* name : boxes)
            EXPECT_EQ(box(name)->isChecked(), ticked[name]) << name;
        EXPECT_EQ(child<QComboBox>(*page, "destination")->currentIndex(), odd ? 0 : 1);
        EXPECT_EQ(edit("port")->text(), odd ? "11112" : "4104");
    }
}

#ifdef QUARVEL_DICOM
#include <QDialogButtonBox>
#include <QPushButton>

#include "LoopbackPorts.h"

// Verify Server echoes each title at the port as typed, off the GUI thread;
// Cancel ends a wait for a silent server at once.
TEST_F(DicomPageTest, VerifyServerReportsEachTitleAtTheTypedPortAndCancelStopsIt)
{
#ifdef _WIN32
    GTEST_SKIP()
        << "Windows' sockets try a refused loopback connection again, so under Wine it ends as the 10 s time-out and "
           "not as Linux's \"Connection refused\"; Verify Server against a real print SCP runs in EditorUnderWine";
#endif
    PrinterRecord printer;
    printer.PrinterAETitle = "LASER3";
    config().Printers.add(printer);
    activate();
    const LoopbackPort closed(false);
    edit("port")->setText(QString::number(closed.port()));
    ui.modalHandlers.push_back([](QDialog& task) { QTRY_VERIFY(!task.isVisible()); });
    child<QPushButton>(*page, "verifyServer")->click();
    const QString at = QStringLiteral(" at 127.0.0.1:%1: ").arg(closed.port());
    const QString expected = "FAILED!\n\n2 of 2 AE titles did not answer" + at.chopped(2) + ".\n\nZELNORSRV" + at +
                             "no connection: Connection refused\nLASER3" + at + "no connection: Connection refused";
    EXPECT_EQ(ui.lastMessage().text.toStdString(), expected.toStdString());
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(ui.busyDepth, 0);

    const LoopbackPort silent(true);
    edit("port")->setText(QString::number(silent.port()));
    QElapsedTimer clock;
    clock.start();
    ui.modalHandlers.push_back([](QDialog& task) {
        child<QDialogButtonBox>(task, "buttons")->button(QDialogButtonBox::Cancel)->click();
        QTRY_VERIFY(!task.isVisible());
    });
    child<QPushButton>(*page, "verifyServer")->click();
    EXPECT_TRUE(ui.lastMessage().text.startsWith(QStringLiteral("Verification cancelled.")))
        << ui.lastMessage().text.toStdString();
    EXPECT_LT(clock.elapsed(), 5000) << "the time-out is 10 s";
}
#endif
