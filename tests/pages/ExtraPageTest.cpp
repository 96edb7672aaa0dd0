#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "PageFixture.h"
#include "pages/Page4Extra.h"
#include "ui/UpDownButtons.h"

namespace {

class ExtraPageTest : public PageTest<CPage4Extra> {
  protected:
    void SetUp() override
    {
        for (const char* name : {"Letter", "A4"}) {
            sPaper p;
            p.Name = name;
            Config().Papers.Add(p);
        }
        Open();
    }
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(*page, name); }
    QRadioButton* Radio(const char* name) { return Child<QRadioButton>(*page, name); }
    void Step(const char* spin, bool up, int times = 1)
    {
        auto* buttons = Child<UpDownButtons>(*page, spin);
        for (int i = 0; i < times; ++i)
            (up ? buttons->upButton() : buttons->downButton())->click();
    }
};

const char* const kNumberFields[] = {"imageDistance", "trimWidth", "borderDensity", "emptyDensity",
                                     "fontSize",      "positionX", "positionY"};

// What the user sees of the page's numbers.
QStringList Numbers(QWidget& page)
{
    QStringList shown;
    for (const char* name : kNumberFields) {
        auto* edit = Child<QLineEdit>(page, name);
        shown << edit->text() + (edit->isEnabled() ? QString() : QStringLiteral(" (disabled)"));
    }
    return shown;
}

} // namespace

TEST_F(ExtraPageTest, KeysAndWheelInANumberFieldStepItAsItsArrowsDo)
{
    // A twin page in its own sheet takes the arrows; this one the keys and
    // the wheel. After every move both show the same and said the same.
    ScriptedInteraction twinUi;
    FakePageHost twinHost{twinUi, diagnostics};
    twinHost.record->Papers = Config().Papers;
    PropertySheet twinSheet;
    auto* twin = new CPage4Extra(twinHost, &twinSheet);
    twinSheet.addPage(twin, QStringLiteral("Twin"));
    twinSheet.show();

    auto type = [&](const char* field, const QString& text) {
        Child<QLineEdit>(*page, field)->setText(text);
        Child<QLineEdit>(*twin, field)->setText(text);
    };
    auto arrows = [&](const char* field, int steps) {
        auto* buttons = Child<UpDownButtons>(*twin, (std::string(field) + "Spin").c_str());
        for (int i = 0; i < std::abs(steps); ++i)
            (steps > 0 ? buttons->upButton() : buttons->downButton())->click();
    };
    auto same = [&](const std::string& move) {
        EXPECT_EQ(Numbers(*page), Numbers(*twin)) << move;
        EXPECT_EQ(ui.messageTexts(), twinUi.messageTexts()) << move;
    };

    for (const char* field : kNumberFields) {
        Child<QAbstractButton>(*page, "borderCustom")->click();
        Child<QAbstractButton>(*twin, "borderCustom")->click();
        Child<QAbstractButton>(*page, "emptyCustom")->click();
        Child<QAbstractButton>(*twin, "emptyCustom")->click();
        QLineEdit* edit = Edit(field);
        const std::string name = field;
        // Near the upper bounds (100 for the label, 200 for the densities,
        // 10000 for the distance) and at the lower one.
        for (const char* start : {"98", "199", "9999.99", "0.005", "0"}) {
            type(field, QString::fromLatin1(start));
            QTest::keyClick(edit, Qt::Key_Up);
            arrows(field, +1);
            same(name + " Up from " + start);
            QTest::keyClick(edit, Qt::Key_Up);
            arrows(field, +1);
            same(name + " Up again");
            QTest::keyClick(edit, Qt::Key_Down);
            arrows(field, -1);
            same(name + " Down");
            TurnWheel(edit, 120);
            arrows(field, +1);
            same(name + " a notch up");
            TurnWheel(edit, 60); // half notches of a fine wheel add up
            TurnWheel(edit, 60);
            arrows(field, +1);
            same(name + " two half notches up");
            TurnWheel(edit, -360);
            arrows(field, -3);
            same(name + " three notches down");
        }
    }

    // Every move reads the whole page: an invalid number elsewhere is
    // reported and later fields keep their last read value.
    type("trimWidth", QStringLiteral("wide"));
    type("fontSize", QStringLiteral("42"));
    QTest::keyClick(Edit("positionY"), Qt::Key_Down);
    arrows("positionY", -1);
    same("Down after an invalid trim width");
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.lastMessage().text, "Please enter a number.");
    type("trimWidth", QStringLiteral("1"));

    // A density in Black or White mode has its field and arrows disabled.
    Child<QAbstractButton>(*page, "borderBlack")->click();
    Child<QAbstractButton>(*twin, "borderBlack")->click();
    QTest::keyClick(Edit("borderDensity"), Qt::Key_Up);
    TurnWheel(Edit("borderDensity"), 120);
    arrows("borderDensity", +1);
    same("Up on a disabled density");

    // The keys and the wheel did move the values.
    type("positionX", QStringLiteral("20"));
    QTest::keyClick(Edit("positionX"), Qt::Key_Up);
    EXPECT_EQ(Edit("positionX")->text(), "21");
    type("imageDistance", QStringLiteral("14.17"));
    TurnWheel(Edit("imageDistance"), 120);
    EXPECT_EQ(Edit("imageDistance")->text(), "14.18");
    twinSheet.hide();
}

TEST_F(ExtraPageTest, DefaultPageSizeIsMatchedWithoutCaseAndStoredAsListed)
{
    ASSERT_TRUE(Leave());
    Config().Layout.PageSize = "a4";
    Activate();
    auto* list = Child<QComboBox>(*page, "pageSize");
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentText(), "A4");
    ASSERT_TRUE(Leave());
    EXPECT_EQ(Config().Layout.PageSize, "A4");

    Config().Papers.RemoveAll();
    Activate();
    EXPECT_EQ(list->count(), 0);
    ASSERT_TRUE(Leave());
    EXPECT_EQ(Config().Layout.PageSize, "");
}

TEST_F(ExtraPageTest, DensitiesBetweenTextsAndRadioButtons)
{
    ASSERT_TRUE(Leave());
    Config().Layout.BorderDensity = "white";
    Config().Layout.EmptyImageDensity = "128";
    Activate();
    EXPECT_TRUE(Radio("borderWhite")->isChecked());
    EXPECT_FALSE(Edit("borderDensity")->isEnabled());
    EXPECT_TRUE(Radio("emptyCustom")->isChecked());
    EXPECT_EQ(Edit("emptyDensity")->text(), "128");
    EXPECT_TRUE(Edit("emptyDensity")->isEnabled());
    ASSERT_TRUE(Leave());
    EXPECT_EQ(Config().Layout.BorderDensity, "WHITE");
    EXPECT_EQ(Config().Layout.EmptyImageDensity, "128");

    Config().Layout.BorderDensity = "dark";
    Activate();
    EXPECT_TRUE(Radio("borderCustom")->isChecked());
    EXPECT_EQ(Edit("borderDensity")->text(), "0");

    // Black after Custom 50 writes BLACK and keeps 50 for a later Custom.
    Edit("borderDensity")->setText(QStringLiteral("50"));
    Radio("borderBlack")->click();
    EXPECT_FALSE(Edit("borderDensity")->isEnabled());
    EXPECT_EQ(Edit("borderDensity")->text(), "50");
    ASSERT_TRUE(Leave());
    EXPECT_EQ(Config().Layout.BorderDensity, "BLACK");
    Activate();
    Radio("borderCustom")->click();
    EXPECT_TRUE(Edit("borderDensity")->isEnabled());
    EXPECT_EQ(Edit("borderDensity")->text(), "50");

    // The buttons stop at 200; a typed 256 is taken.
    Edit("borderDensity")->setText(QStringLiteral("199"));
    Step("borderDensitySpin", true, 3);
    EXPECT_EQ(Edit("borderDensity")->text(), "200");
    Edit("borderDensity")->setText(QStringLiteral("256"));
    ASSERT_TRUE(Leave());
    EXPECT_EQ(Config().Layout.BorderDensity, "256");
}

TEST_F(ExtraPageTest, UpDownBoundsAreTestedBeforeTheStep)
{
    EXPECT_EQ(Edit("imageDistance")->text(), "14.17");
    EXPECT_EQ(Edit("trimWidth")->text(), "5");
    Step("imageDistanceSpin", true);
    EXPECT_EQ(Edit("imageDistance")->text(), "14.18");

    Edit("imageDistance")->setText(QStringLiteral("0.005"));
    Step("imageDistanceSpin", false);
    EXPECT_EQ(Edit("imageDistance")->text(), "-0.005");
    Step("imageDistanceSpin", false);
    EXPECT_EQ(Edit("imageDistance")->text(), "-0.005");

    Step("positionXSpin", true);
    EXPECT_EQ(Edit("positionX")->text(), "21");
    Edit("positionX")->setText(QStringLiteral("100"));
    Step("positionXSpin", true);
    EXPECT_EQ(Edit("positionX")->text(), "100");
    Edit("fontSize")->setText(QStringLiteral("0"));
    Step("fontSizeSpin", false);
    EXPECT_EQ(Edit("fontSize")->text(), "0");
    Step("trimWidthSpin", true);
    EXPECT_EQ(Edit("trimWidth")->text(), "5.01");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ExtraPageTest, InvalidNumbersKeepThePageWithTheRightPrompt)
{
    Edit("trimWidth")->setText(QStringLiteral("wide"));
    EXPECT_FALSE(Leave());
    EXPECT_EQ(ui.lastMessage().text, "Please enter a number.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(page->focusWidget(), Edit("trimWidth"));
    EXPECT_EQ(ActivePage(), kThisPage);

    Edit("trimWidth")->setText(QStringLiteral("2.5"));
    Edit("positionY")->setText(QStringLiteral("y"));
    EXPECT_FALSE(Leave());
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    EXPECT_EQ(page->focusWidget(), Edit("positionY"));

    Edit("positionY")->setText(QStringLiteral("30"));
    Edit("fontSize")->setText(QStringLiteral("12abc"));
    Edit("labelText")->setText(QStringLiteral("St. Elsewhere"));
    Child<QCheckBox>(*page, "includeLabel")->click();
    ASSERT_TRUE(Leave());
    EXPECT_EQ(Config().LabelSize, 12);
    EXPECT_EQ(Config().PositionY, 30);
    EXPECT_DOUBLE_EQ(Config().Layout.TrimWidth, 2.5);
    EXPECT_EQ(Config().Text, "St. Elsewhere");
    EXPECT_TRUE(Config().IncludeLabel);
}

TEST_F(ExtraPageTest, CaptionsAndTooltips)
{
    EXPECT_EQ(Caption(Child<QCheckBox>(*page, "includeLabel")->text()), " Include Label");
    EXPECT_EQ(Caption(Child<QLabel>(*page, "fontSizeLabel")->text()), "Font Size  (pt):");
    EXPECT_EQ(Child<QLabel>(*page, "emptyDensityLabel")->toolTip(),
              "Density of the background of the image areas on the page. Supported values: BLACK(0), WHITE(256) "
              "or an integer number");
    EXPECT_EQ(Edit("imageDistance")->toolTip(), Child<QLabel>(*page, "imageDistanceLabel")->toolTip());
}

TEST_F(ExtraPageTest, EveryFieldTravelsOnItsOwnThroughTheFileAndBack)
{
    struct Round {
        const char* description;
        const char* imageDistance;
        const char* trimWidth;
        int orientation;
        const char* border; // radio to click, then the number when Custom
        const char* borderValue;
        const char* empty;
        const char* emptyValue;
        bool trim;
        const char* pageSize;
        bool includeLabel;
        const char* labelText;
        const char *fontSize, *positionX, *positionY;
        const char* borderText; // as the file holds them
        const char* emptyText;
    };
    const Round rounds[] = {
        {"Ward layout", "12.5", "3.25", 1, "borderCustom", "40", "emptyBlack", "", true, "A4", true, "St. Mary", "14",
         "33", "44", "40", "BLACK"},
        {"Night layout", "0.75", "9.5", 0, "borderBlack", "", "emptyCustom", "150", false, "Letter", false, "Clinic",
         "9", "61", "72", "BLACK", "150"},
    };
    for (const Round& r : rounds) {
        SCOPED_TRACE(r.description);
        Edit("description")->setText(QString::fromLatin1(r.description));
        Edit("imageDistance")->setText(QString::fromLatin1(r.imageDistance));
        Edit("trimWidth")->setText(QString::fromLatin1(r.trimWidth));
        Child<QComboBox>(*page, "orientation")->setCurrentIndex(r.orientation);
        Radio(r.border)->click();
        if (*r.borderValue)
            Edit("borderDensity")->setText(QString::fromLatin1(r.borderValue));
        Radio(r.empty)->click();
        if (*r.emptyValue)
            Edit("emptyDensity")->setText(QString::fromLatin1(r.emptyValue));
        Child<QCheckBox>(*page, "trimImages")->setChecked(r.trim);
        Child<QComboBox>(*page, "pageSize")->setCurrentText(QString::fromLatin1(r.pageSize));
        Child<QCheckBox>(*page, "includeLabel")->setChecked(r.includeLabel);
        Edit("labelText")->setText(QString::fromLatin1(r.labelText));
        Edit("fontSize")->setText(QString::fromLatin1(r.fontSize));
        Edit("positionX")->setText(QString::fromLatin1(r.positionX));
        Edit("positionY")->setText(QString::fromLatin1(r.positionY));

        LeaveSaveLoadAndActivate();

        const CConfiguration& c = Config();
        EXPECT_EQ(c.Layout.Description, r.description);
        EXPECT_DOUBLE_EQ(c.Layout.ImageDistance, std::stod(r.imageDistance));
        EXPECT_DOUBLE_EQ(c.Layout.TrimWidth, std::stod(r.trimWidth));
        EXPECT_EQ(c.Layout.Orientation, r.orientation);
        EXPECT_EQ(c.Layout.BorderDensity, r.borderText);
        EXPECT_EQ(c.Layout.EmptyImageDensity, r.emptyText);
        EXPECT_EQ(c.Layout.Trim, r.trim);
        EXPECT_EQ(c.Layout.PageSize, r.pageSize);
        EXPECT_EQ(c.IncludeLabel, r.includeLabel);
        EXPECT_EQ(c.Text, r.labelText);
        EXPECT_EQ(c.LabelSize, std::stoi(r.fontSize));
        EXPECT_EQ(c.PositionX, std::stoi(r.positionX));
        EXPECT_EQ(c.PositionY, std::stoi(r.positionY));
        // And the page shows what came back.
        EXPECT_EQ(Edit("imageDistance")->text(), r.imageDistance);
        EXPECT_EQ(Edit("trimWidth")->text(), r.trimWidth);
        EXPECT_EQ(Child<QComboBox>(*page, "pageSize")->currentText(), r.pageSize);
        EXPECT_EQ(Edit("positionY")->text(), r.positionY);
    }
}

TEST_F(ExtraPageTest, RealFieldsTakeADecimalCommaAndRefuseInfiniteNumbers)
{
    Edit("imageDistance")->setText(QStringLiteral("3,75"));
    Edit("trimWidth")->setText(QStringLiteral("0,5"));
    ASSERT_TRUE(Leave());
    EXPECT_DOUBLE_EQ(Config().Layout.ImageDistance, 3.75);
    EXPECT_DOUBLE_EQ(Config().Layout.TrimWidth, 0.5);
    Activate();
    EXPECT_EQ(Edit("imageDistance")->text(), "3.75"); // shown as the file writes it

    for (const char* huge : {"1e999", "-1e400"}) {
        Edit("imageDistance")->setText(QString::fromLatin1(huge));
        EXPECT_FALSE(Leave()) << huge;
        EXPECT_EQ(ui.lastMessage().text, "Please enter a number.");
        EXPECT_EQ(page->focusWidget(), Edit("imageDistance"));
        EXPECT_DOUBLE_EQ(Config().Layout.ImageDistance, 3.75);
    }
    // The up-down buttons read the same way and keep the last good value.
    Step("imageDistanceSpin", true);
    EXPECT_EQ(Edit("imageDistance")->text(), "3.76");
}

TEST_F(ExtraPageTest, AnExactPageSizeMatchWinsOverACaseBlindOne)
{
    ASSERT_TRUE(Leave());
    sPaper lower;
    lower.Name = "a4";
    Config().Papers.Add(lower); // papers: Letter, A4, a4
    Config().Layout.PageSize = "A4";
    Activate();
    EXPECT_EQ(Child<QComboBox>(*page, "pageSize")->currentIndex(), 1);
    ASSERT_TRUE(Leave());
    EXPECT_EQ(Config().Layout.PageSize, "A4");

    Config().Layout.PageSize = "a4";
    Activate();
    EXPECT_EQ(Child<QComboBox>(*page, "pageSize")->currentIndex(), 2);

    // Without an exact match the last case-blind one still counts.
    ASSERT_TRUE(Leave());
    Config().Layout.PageSize = "LETTER";
    Activate();
    ASSERT_TRUE(Leave());
    EXPECT_EQ(Config().Layout.PageSize, "Letter");
}
