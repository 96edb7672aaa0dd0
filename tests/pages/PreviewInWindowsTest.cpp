// The page previews in "Add/Edit Paper Size" and on "Additional Settings":
// they follow the fields as they are typed, read them silently and leave
// the windows' own values alone.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "PageFixture.h"
#include "config/RecordLists.h"
#include "pages/AdditionalSettingsPage.h"
#include "pages/PagePreview.h"
#include "pages/PaperSizeDialog.h"
#include "ui/UpDownButtons.h"

namespace {

PaperRecord a4Paper()
{
    PaperRecord p;
    p.Name = "A4";
    p.PaperLabel = "A4";
    p.SizeX = 595;
    p.SizeY = 842;
    p.SkipX = 20;
    p.SkipY = 20;
    return p;
}

void type(QDialog& dialog, const char* field, const QString& text)
{
    auto* edit = child<QLineEdit>(dialog, field);
    edit->clear();
    QTest::keyClicks(edit, text);
}

class PaperDialogPreviewTest : public ::testing::Test {
  protected:
    void open(const PaperRecord& paper)
    {
        dialog = std::make_unique<PaperSizeDialog>(ui, TextEncoding::Windows1252);
        dialog->setRecord(paper);
        dialog->setHeaders(&headers);
        dialog->show();
        preview = child<PagePreview>(*dialog, "preview");
        ASSERT_NE(preview, nullptr);
    }
    void TearDown() override { dialog.reset(); }

    ScriptedInteraction ui;
    HeaderList headers;
    std::unique_ptr<PaperSizeDialog> dialog;
    PagePreview* preview = nullptr;
};

} // namespace

TEST_F(PaperDialogPreviewTest, FollowsEveryKeystrokeAndKeepsTheLastGoodValueSilently)
{
    open(a4Paper());
    EXPECT_EQ(preview->paper().SizeX, 595);
    EXPECT_EQ(preview->paper().SkipY, 20);

    // Keystroke by keystroke: 6, 60, 600.
    auto* offsetX = child<QLineEdit>(*dialog, "offsetX");
    offsetX->clear();
    EXPECT_EQ(preview->paper().OffsetX, 0) << "an empty field keeps the last good value";
    QTest::keyClick(offsetX, Qt::Key_6);
    EXPECT_EQ(preview->paper().OffsetX, 6);
    QTest::keyClick(offsetX, Qt::Key_0);
    EXPECT_EQ(preview->paper().OffsetX, 60);
    QTest::keyClick(offsetX, Qt::Key_0);
    EXPECT_EQ(preview->paper().OffsetX, 600);
    EXPECT_FALSE(preview->warnings().isEmpty()) << "600 pushes the area off the sheet";

    type(*dialog, "sizeX", QStringLiteral("612"));
    type(*dialog, "skipY", QString());
    type(*dialog, "offsetY", QStringLiteral("99999999999")); // too large from the tenth digit on
    EXPECT_EQ(preview->paper().SizeX, 612);
    EXPECT_EQ(preview->paper().SkipY, 20);
    EXPECT_EQ(preview->paper().OffsetY, 999999999) << "a number out of range keeps the last good value";
    EXPECT_TRUE(ui.messages.empty()) << "no message while typing";

    // The dialog's own values change only when it reads its fields.
    EXPECT_EQ(dialog->record().SizeX, 595);
    EXPECT_EQ(dialog->record().OffsetX, 0);
    click(*dialog, "saveButton");
    EXPECT_EQ(ui.lastMessage().text, "Please enter an integer.") << "the dialog's own reading is unchanged";
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(PaperDialogPreviewTest, FollowsTheStandardSizeCopy)
{
    PaperRecord paper = a4Paper();
    paper.SizeX = 1008;
    paper.SizeY = 1224;
    open(paper);
    ui.modalHandlers.push_back([](QDialog& d) {
        child<QComboBox>(d, "paperSize")->setCurrentIndex(13); // A4
        click(d, "copyButton");
    });
    click(*dialog, "standardButton");
    EXPECT_EQ(preview->paper().SizeX, 595);
    EXPECT_EQ(preview->paper().SizeY, 842);
    EXPECT_EQ(preview->paper().SkipX, 20);
}

TEST_F(PaperDialogPreviewTest, FollowsTheHeaderChoice)
{
    QTemporaryDir dir;
    QImage logo(60, 20, QImage::Format_RGB32);
    logo.fill(Qt::darkBlue);
    const QString file = dir.filePath(QStringLiteral("logo.bmp"));
    ASSERT_TRUE(logo.save(file, "BMP"));
    headers.add(HeaderRecord{"LOGO", file.toStdString()});
    headers.add(HeaderRecord{"WARD", "C:\\bitmaps\\ward.bmp"});

    PaperRecord paper = a4Paper();
    paper.HeaderName = "GONE";
    open(paper);
    EXPECT_EQ(preview->headerName(), "GONE") << "no item chosen: the name the paper came with";
    EXPECT_FALSE(preview->headerListed());

    auto* list = child<QComboBox>(*dialog, "headerBitmap");
    list->setCurrentIndex(0);
    EXPECT_EQ(preview->headerName(), "LOGO");
    EXPECT_TRUE(preview->headerReadable());
    list->setCurrentIndex(1);
    EXPECT_EQ(preview->headerName(), "WARD");
    EXPECT_TRUE(preview->headerListed());
    EXPECT_FALSE(preview->headerReadable()) << "a Windows path is not readable here";
    EXPECT_EQ(dialog->record().HeaderName, "GONE");
}

TEST_F(PaperDialogPreviewTest, TheDialogOpensWithRoomForThePreviewWhichGivesWayFirst)
{
#ifdef _WIN32
    GTEST_SKIP() << "the offscreen platform of Qt for Windows finds no fonts (Qt ships none), so its text and layout "
                    "sizes are not Linux's";
#endif
    open(a4Paper());
    EXPECT_EQ(preview->focusPolicy(), Qt::NoFocus);
    const int wide = preview->width();
    EXPECT_GT(wide, preview->minimumSizeHint().width() + 100) << "room beyond its minimum";
    auto* title = child<QLineEdit>(*dialog, "title");
    const int titleWidth = title->width();

    // Narrower by what the preview has beyond its minimum: only the preview
    // shrinks.
    dialog->resize(dialog->width() - (wide - preview->minimumSizeHint().width()), dialog->height());
    QApplication::processEvents();
    EXPECT_EQ(preview->width(), preview->minimumSizeHint().width());
    EXPECT_EQ(title->width(), titleWidth);
}

namespace {

class ExtraPagePreviewTest : public PageTest<AdditionalSettingsPage> {
  protected:
    void SetUp() override
    {
        PaperRecord letter;
        letter.Name = "Letter";
        letter.SizeX = 612;
        letter.SizeY = 792;
        config().Papers.add(letter);
        config().Papers.add(a4Paper());
        config().Layout.PageSize = "A4";
        open();
        preview = child<PagePreview>(*page, "preview");
        ASSERT_NE(preview, nullptr);
    }
    const LayoutSample& sample() { return *preview->layoutSample(); }

    PagePreview* preview = nullptr;
};

} // namespace

TEST_F(ExtraPagePreviewTest, FollowsTheControlsAsTheRecordTakesEachCommittedChange)
{
    EXPECT_TRUE(preview->hasPaper());
    EXPECT_EQ(preview->paper().SizeX, 595);
    EXPECT_FALSE(sample().Landscape);
    EXPECT_DOUBLE_EQ(sample().ImageDistance, 14.17);
    EXPECT_DOUBLE_EQ(sample().TrimWidth, 5.0);
    EXPECT_EQ(sample().BorderDensity, 256);

    child<QComboBox>(*page, "pageSize")->setCurrentIndex(0);
    EXPECT_EQ(preview->paper().SizeX, 612);
    child<QComboBox>(*page, "orientation")->setCurrentIndex(1);
    EXPECT_TRUE(sample().Landscape);
    child<QCheckBox>(*page, "trimImages")->click();
    EXPECT_TRUE(sample().Trim);

    auto* distance = child<QLineEdit>(*page, "imageDistance");
    distance->clear();
    QTest::keyClicks(distance, QStringLiteral("20"));
    EXPECT_DOUBLE_EQ(sample().ImageDistance, 20);
    QTest::keyClicks(distance, QStringLiteral("x"));
    EXPECT_DOUBLE_EQ(sample().ImageDistance, 20) << "read leniently, as the page reads it";
    distance->setText(QStringLiteral("abc"));
    EXPECT_DOUBLE_EQ(sample().ImageDistance, 20) << "no number keeps the last good value";
    distance->setText(QStringLiteral("1e999"));
    EXPECT_DOUBLE_EQ(sample().ImageDistance, 20) << "no infinite distances";
    distance->setText(QStringLiteral("14.17"));
    child<UpDownButtons>(*page, "imageDistanceSpin")->upButton()->click();
    EXPECT_DOUBLE_EQ(sample().ImageDistance, 14.18) << "the up-down buttons' step shows too";
    EXPECT_TRUE(ui.messages.empty());

    // Typing reaches the record once the field is left; the click on the
    // box took what the controls showed then.
    EXPECT_EQ(config().Layout.PageSize, "Letter");
    EXPECT_EQ(config().Layout.Orientation, 1);
    EXPECT_TRUE(config().Layout.Trim);
    EXPECT_DOUBLE_EQ(config().Layout.ImageDistance, 14.17);
    ASSERT_TRUE(leave());
    EXPECT_DOUBLE_EQ(config().Layout.ImageDistance, 14.18);
    EXPECT_EQ(config().Layout.PageSize, "Letter");
    EXPECT_EQ(config().Layout.Orientation, 1);
}

TEST_F(ExtraPagePreviewTest, DensitiesFollowTheRadioButtonsAndTheNumber)
{
    child<QRadioButton>(*page, "borderCustom")->click();
    auto* number = child<QLineEdit>(*page, "borderDensity");
    number->setText(QStringLiteral("100"));
    EXPECT_EQ(sample().BorderDensity, 100);
    child<QRadioButton>(*page, "borderBlack")->click();
    EXPECT_EQ(sample().BorderDensity, 0);
    child<QRadioButton>(*page, "emptyCustom")->click();
    child<QLineEdit>(*page, "emptyDensity")->setText(QStringLiteral("128"));
    EXPECT_EQ(sample().EmptyImageDensity, 128);
    child<QRadioButton>(*page, "emptyWhite")->click();
    EXPECT_EQ(sample().EmptyImageDensity, 256);
    // Each click of a radio button reached the record.
    EXPECT_EQ(config().Layout.BorderDensity, "BLACK");
    EXPECT_EQ(config().Layout.EmptyImageDensity, "WHITE");
}

TEST_F(ExtraPagePreviewTest, SaysSoWhenNoPaperIsSelected)
{
    ASSERT_TRUE(leave());
    config().Layout.PageSize = "B5";
    activate();
    EXPECT_FALSE(preview->hasPaper());
    EXPECT_EQ(preview->missingPaperReason(), "No default page size selected.");
    child<QComboBox>(*page, "pageSize")->setCurrentIndex(1);
    EXPECT_TRUE(preview->hasPaper());
    EXPECT_EQ(preview->paper().SizeY, 842);

    ASSERT_TRUE(leave());
    config().Papers.removeAll();
    activate();
    EXPECT_FALSE(preview->hasPaper());
}

TEST_F(ExtraPagePreviewTest, ThePreviewTakesTheWidthLeftOverAndNoFocus)
{
    EXPECT_EQ(preview->focusPolicy(), Qt::NoFocus);
    // At the page's own size hint the preview has its minimum; more width
    // goes to the preview alone.
    auto* description = child<QLineEdit>(*page, "description");
    page->layout()->setGeometry(QRect(QPoint(), page->sizeHint()));
    EXPECT_EQ(preview->width(), preview->minimumSizeHint().width());
    const int descriptionWidth = description->width();
    page->layout()->setGeometry(QRect(QPoint(), page->sizeHint() + QSize(200, 0)));
    EXPECT_EQ(preview->width(), preview->minimumSizeHint().width() + 200);
    EXPECT_EQ(description->width(), descriptionWidth);
}
