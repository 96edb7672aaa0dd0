#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "PageFixture.h"
#include "pages/AdditionalSettingsPage.h"
#include "ui/UpDownButtons.h"

namespace {

class AdditionalSettingsPageTest : public PageTest<AdditionalSettingsPage> {
  protected:
    void SetUp() override
    {
        for (const char* name : {"Letter", "A4"}) {
            PaperRecord p;
            p.Name = name;
            config().Papers.add(p);
        }
        open();
    }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(*page, name); }
    QRadioButton* radio(const char* name) { return child<QRadioButton>(*page, name); }
    void step(const char* spin, bool up, int times = 1)
    {
        auto* buttons = child<UpDownButtons>(*page, spin);
        for (int i = 0; i < times; ++i)
            (up ? buttons->upButton() : buttons->downButton())->click();
    }
};

const char* const kNumberFields[] = {"imageDistance", "trimWidth", "borderDensity", "emptyDensity",
                                     "fontSize",      "positionX", "positionY"};

// What the user sees of the page's numbers.
QStringList numbers(QWidget& page)
{
    QStringList shown;
    for (const char* name : kNumberFields) {
        auto* edit = child<QLineEdit>(page, name);
        shown << edit->text() + (edit->isEnabled() ? QString() : QStringLiteral(" (disabled)"));
    }
    return shown;
}

} // namespace

TEST_F(AdditionalSettingsPageTest, KeysAndWheelInANumberFieldStepItAsItsArrowsDo)
{
    // A twin page in its own sheet takes the arrows; this one the keys and
    // the wheel. After every move both show the same and said the same.
    ScriptedInteraction twinUi;
    FakePageHost twinHost{twinUi, diagnostics};
    twinHost.record->Papers = config().Papers;
    PropertySheet twinSheet;
    auto* twin = new AdditionalSettingsPage(twinHost, &twinSheet);
    twinSheet.addPage(twin, QStringLiteral("Twin"));
    twinSheet.show();

    auto type = [&](const char* field, const QString& text) {
        child<QLineEdit>(*page, field)->setText(text);
        child<QLineEdit>(*twin, field)->setText(text);
    };
    auto arrows = [&](const char* field, int steps) {
        auto* buttons = child<UpDownButtons>(*twin, (std::string(field) + "Spin").c_str());
        for (int i = 0; i < std::abs(steps); ++i)
            (steps > 0 ? buttons->upButton() : buttons->downButton())->click();
    };
    auto same = [&](const std::string& move) {
        EXPECT_EQ(numbers(*page), numbers(*twin)) << move;
        EXPECT_EQ(ui.messageTexts(), twinUi.messageTexts()) << move;
    };

    for (const char* field : kNumberFields) {
        child<QAbstractButton>(*page, "borderCustom")->click();
        child<QAbstractButton>(*twin, "borderCustom")->click();
        child<QAbstractButton>(*page, "emptyCustom")->click();
        child<QAbstractButton>(*twin, "emptyCustom")->click();
        QLineEdit* line = edit(field);
        const std::string name = field;
        // Near the upper bounds (100 for the label, 200 for the densities,
        // 10000 for the distance) and at the lower one.
        for (const char* start : {"98", "199", "9999.99", "0.005", "0"}) {
            type(field, QString::fromLatin1(start));
            QTest::keyClick(line, Qt::Key_Up);
            arrows(field, +1);
            same(name + " Up from " + start);
            QTest::keyClick(line, Qt::Key_Up);
            arrows(field, +1);
            same(name + " Up again");
            QTest::keyClick(line, Qt::Key_Down);
            arrows(field, -1);
            same(name + " Down");
            turnWheel(line, 120);
            arrows(field, +1);
            same(name + " a notch up");
            turnWheel(line, 60); // half notches of a fine wheel add up
            turnWheel(line, 60);
            arrows(field, +1);
            same(name + " two half notches up");
            turnWheel(line, -360);
            arrows(field, -3);
            same(name + " three notches down");
        }
    }

    // Every move reads the whole page: an invalid number elsewhere is
    // reported and later fields keep their last read value.
    type("trimWidth", QStringLiteral("wide"));
    type("fontSize", QStringLiteral("42"));
    QTest::keyClick(edit("positionY"), Qt::Key_Down);
    arrows("positionY", -1);
    same("Down after an invalid trim width");
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.lastMessage().text, "Please enter a number.");
    type("trimWidth", QStringLiteral("1"));

    // A density in Black or White mode has its field and arrows disabled.
    child<QAbstractButton>(*page, "borderBlack")->click();
    child<QAbstractButton>(*twin, "borderBlack")->click();
    QTest::keyClick(edit("borderDensity"), Qt::Key_Up);
    turnWheel(edit("borderDensity"), 120);
    arrows("borderDensity", +1);
    same("Up on a disabled density");

    // The keys and the wheel did move the values.
    type("positionX", QStringLiteral("20"));
    QTest::keyClick(edit("positionX"), Qt::Key_Up);
    EXPECT_EQ(edit("positionX")->text(), "21");
    type("imageDistance", QStringLiteral("14.17"));
    turnWheel(edit("imageDistance"), 120);
    EXPECT_EQ(edit("imageDistance")->text(), "14.18");
    twinSheet.hide();
}

TEST_F(AdditionalSettingsPageTest, DefaultPageSizeIsMatchedWithoutCaseAndStoredAsListed)
{
    ASSERT_TRUE(leave());
    config().Layout.PageSize = "a4";
    activate();
    auto* list = child<QComboBox>(*page, "pageSize");
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentText(), "A4");
    ASSERT_TRUE(leave());
    EXPECT_EQ(config().Layout.PageSize, "A4");

    config().Papers.removeAll();
    activate();
    EXPECT_EQ(list->count(), 0);
    ASSERT_TRUE(leave());
    EXPECT_EQ(config().Layout.PageSize, "");
}

TEST_F(AdditionalSettingsPageTest, DensitiesBetweenTextsAndRadioButtons)
{
    ASSERT_TRUE(leave());
    config().Layout.BorderDensity = "white";
    config().Layout.EmptyImageDensity = "128";
    activate();
    EXPECT_TRUE(radio("borderWhite")->isChecked());
    EXPECT_FALSE(edit("borderDensity")->isEnabled());
    EXPECT_TRUE(radio("emptyCustom")->isChecked());
    EXPECT_EQ(edit("emptyDensity")->text(), "128");
    EXPECT_TRUE(edit("emptyDensity")->isEnabled());
    ASSERT_TRUE(leave());
    EXPECT_EQ(config().Layout.BorderDensity, "WHITE");
    EXPECT_EQ(config().Layout.EmptyImageDensity, "128");

    config().Layout.BorderDensity = "dark";
    activate();
    EXPECT_TRUE(radio("borderCustom")->isChecked());
    EXPECT_EQ(edit("borderDensity")->text(), "0");

    // Black after Custom 50 writes BLACK and keeps 50 for a later Custom.
    edit("borderDensity")->setText(QStringLiteral("50"));
    radio("borderBlack")->click();
    EXPECT_FALSE(edit("borderDensity")->isEnabled());
    EXPECT_EQ(edit("borderDensity")->text(), "50");
    ASSERT_TRUE(leave());
    EXPECT_EQ(config().Layout.BorderDensity, "BLACK");
    activate();
    radio("borderCustom")->click();
    EXPECT_TRUE(edit("borderDensity")->isEnabled());
    EXPECT_EQ(edit("borderDensity")->text(), "50");

    // The buttons stop at 200; a typed 256 is taken.
    edit("borderDensity")->setText(QStringLiteral("199"));
    step("borderDensitySpin", true, 3);
    EXPECT_EQ(edit("borderDensity")->text(), "200");
    edit("borderDensity")->setText(QStringLiteral("256"));
    ASSERT_TRUE(leave());
    EXPECT_EQ(config().Layout.BorderDensity, "256");
}

TEST_F(AdditionalSettingsPageTest, UpDownBoundsAreTestedBeforeTheStep)
{
    EXPECT_EQ(edit("imageDistance")->text(), "14.17");
    EXPECT_EQ(edit("trimWidth")->text(), "5");
    step("imageDistanceSpin", true);
    EXPECT_EQ(edit("imageDistance")->text(), "14.18");

    edit("imageDistance")->setText(QStringLiteral("0.005"));
    step("imageDistanceSpin", false);
    EXPECT_EQ(edit("imageDistance")->text(), "-0.005");
    step("imageDistanceSpin", false);
    EXPECT_EQ(edit("imageDistance")->text(), "-0.005");

    step("positionXSpin", true);
    EXPECT_EQ(edit("positionX")->text(), "21");
    edit("positionX")->setText(QStringLiteral("100"));
    step("positionXSpin", true);
    EXPECT_EQ(edit("positionX")->text(), "100");
    edit("fontSize")->setText(QStringLiteral("0"));
    step("fontSizeSpin", false);
    EXPECT_EQ(edit("fontSize")->text(), "0");
    step("trimWidthSpin", true);
    EXPECT_EQ(edit("trimWidth")->text(), "5.01");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AdditionalSettingsPageTest, InvalidNumbersKeepThePageWithTheRightPrompt)
{
    edit("trimWidth")->setText(QStringLiteral("wide"));
    EXPECT_FALSE(leave());
    EXPECT_EQ(ui.lastMessage().text, "Please enter a number.");
    EXPECT_EQ(ui.lastMessage().icon, Interaction::Icon::Warning);
    EXPECT_EQ(page->focusWidget(), edit("trimWidth"));
    EXPECT_EQ(activePage(), kThisPage);

    edit("trimWidth")->setText(QStringLiteral("2.5"));
    edit("positionY")->setText(QStringLiteral("y"));
    EXPECT_FALSE(leave());
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.");
    EXPECT_EQ(page->focusWidget(), edit("positionY"));

    edit("positionY")->setText(QStringLiteral("30"));
    edit("fontSize")->setText(QStringLiteral("12abc"));
    edit("labelText")->setText(QStringLiteral("St. Elsewhere"));
    child<QCheckBox>(*page, "includeLabel")->click();
    ASSERT_TRUE(leave());
    EXPECT_EQ(config().LabelSize, 12);
    EXPECT_EQ(config().PositionY, 30);
    EXPECT_DOUBLE_EQ(config().Layout.TrimWidth, 2.5);
    EXPECT_EQ(config().Text, "St. Elsewhere");
    EXPECT_TRUE(config().IncludeLabel);
}

TEST_F(AdditionalSettingsPageTest, CaptionsAndTooltips)
{
    EXPECT_EQ(caption(child<QCheckBox>(*page, "includeLabel")->text()), " Include Label");
    EXPECT_EQ(caption(child<QLabel>(*page, "fontSizeLabel")->text()), "Font Size  (pt):");
    EXPECT_EQ(child<QLabel>(*page, "emptyDensityLabel")->toolTip(),
              "Density of the background of the image areas on the page. Supported values: BLACK(0), WHITE(256) "
              "or an integer number");
    EXPECT_EQ(edit("imageDistance")->toolTip(), child<QLabel>(*page, "imageDistanceLabel")->toolTip());
}

TEST_F(AdditionalSettingsPageTest, EveryFieldTravelsOnItsOwnThroughTheFileAndBack)
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
        edit("description")->setText(QString::fromLatin1(r.description));
        edit("imageDistance")->setText(QString::fromLatin1(r.imageDistance));
        edit("trimWidth")->setText(QString::fromLatin1(r.trimWidth));
        child<QComboBox>(*page, "orientation")->setCurrentIndex(r.orientation);
        radio(r.border)->click();
        if (*r.borderValue)
            edit("borderDensity")->setText(QString::fromLatin1(r.borderValue));
        radio(r.empty)->click();
        if (*r.emptyValue)
            edit("emptyDensity")->setText(QString::fromLatin1(r.emptyValue));
        child<QCheckBox>(*page, "trimImages")->setChecked(r.trim);
        child<QComboBox>(*page, "pageSize")->setCurrentText(QString::fromLatin1(r.pageSize));
        child<QCheckBox>(*page, "includeLabel")->setChecked(r.includeLabel);
        edit("labelText")->setText(QString::fromLatin1(r.labelText));
        edit("fontSize")->setText(QString::fromLatin1(r.fontSize));
        edit("positionX")->setText(QString::fromLatin1(r.positionX));
        edit("positionY")->setText(QString::fromLatin1(r.positionY));

        leaveSaveLoadAndActivate();

        const Configuration& c = config();
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
        EXPECT_EQ(edit("imageDistance")->text(), r.imageDistance);
        EXPECT_EQ(edit("trimWidth")->text(), r.trimWidth);
        EXPECT_EQ(child<QComboBox>(*page, "pageSize")->currentText(), r.pageSize);
        EXPECT_EQ(edit("positionY")->text(), r.positionY);
    }
}

TEST_F(AdditionalSettingsPageTest, RealFieldsTakeADecimalCommaAndRefuseInfiniteNumbers)
{
    edit("imageDistance")->setText(QStringLiteral("3,75"));
    edit("trimWidth")->setText(QStringLiteral("0,5"));
    ASSERT_TRUE(leave());
    EXPECT_DOUBLE_EQ(config().Layout.ImageDistance, 3.75);
    EXPECT_DOUBLE_EQ(config().Layout.TrimWidth, 0.5);
    activate();
    EXPECT_EQ(edit("imageDistance")->text(), "3.75"); // shown as the file writes it

    for (const char* huge : {"1e999", "-1e400"}) {
        edit("imageDistance")->setText(QString::fromLatin1(huge));
        EXPECT_FALSE(leave()) << huge;
        EXPECT_EQ(ui.lastMessage().text, "Please enter a number.");
        EXPECT_EQ(page->focusWidget(), edit("imageDistance"));
        EXPECT_DOUBLE_EQ(config().Layout.ImageDistance, 3.75);
    }
    // The up-down buttons read the same way and keep the last good value.
    step("imageDistanceSpin", true);
    EXPECT_EQ(edit("imageDistance")->text(), "3.76");

    // Finite, but outside the range every writer keeps to.
    for (const auto& [field, typed] : {std::pair{"imageDistance", "1e308"}, std::pair{"trimWidth", "-20000"}}) {
        const QString before = edit(field)->text();
        edit(field)->setText(QString::fromLatin1(typed));
        EXPECT_FALSE(leave()) << field;
        EXPECT_EQ(ui.lastMessage().text, "Please enter a number between -10000 and 10000.") << field;
        EXPECT_EQ(page->focusWidget(), edit(field));
        edit(field)->setText(before);
    }
    EXPECT_TRUE(leave());
}

TEST_F(AdditionalSettingsPageTest, AnExactPageSizeMatchWinsOverACaseBlindOne)
{
    ASSERT_TRUE(leave());
    PaperRecord lower;
    lower.Name = "a4";
    config().Papers.add(lower); // papers: Letter, A4, a4
    config().Layout.PageSize = "A4";
    activate();
    EXPECT_EQ(child<QComboBox>(*page, "pageSize")->currentIndex(), 1);
    ASSERT_TRUE(leave());
    EXPECT_EQ(config().Layout.PageSize, "A4");

    config().Layout.PageSize = "a4";
    activate();
    EXPECT_EQ(child<QComboBox>(*page, "pageSize")->currentIndex(), 2);

    // Without an exact match the last case-blind one still counts.
    ASSERT_TRUE(leave());
    config().Layout.PageSize = "LETTER";
    activate();
    ASSERT_TRUE(leave());
    EXPECT_EQ(config().Layout.PageSize, "Letter");
}
