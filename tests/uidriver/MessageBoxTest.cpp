#include "UiFixture.h"

#include <gtest/gtest-spi.h>

#include <vector>

namespace {

using MessageBoxScenario = FixtureScenario;

TEST_F(MessageBoxScenario, RecordsAndAnswersAnExclamationBox) {
    App().Answer(IDOK);
    Item(IDC_WARN).Click();
    const ui::MessageBoxRecord box = App().WaitForMessageBox();
    EXPECT_EQ(box.caption, FixtureCaption());
    EXPECT_EQ(box.text, "Disk full\r\nCorrect and retry");
    EXPECT_EQ(box.icon, ui::BoxIcon::Exclamation) << ui::Name(box.icon);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(box.owner, dialog_.Handle());
    EXPECT_EQ(box.ownerTitle, "UI Fixture");
    EXPECT_TRUE(box.ownerVisible);
    EXPECT_TRUE(box.expected);
    Item(IDC_MESSAGE).WaitForText("Warned");
    EXPECT_EQ(App().PendingAnswers(), 0u);
}

TEST_F(MessageBoxScenario, AnswersAYesNoQuestionAsScripted) {
    struct Case {
        int answer;
        const char* shown;
    };
    for (const Case& c : {Case{IDYES, "Yes"}, Case{IDNO, "No"}, Case{IDYES, "Yes"}}) {
        SCOPED_TRACE(c.shown);
        App().Answer(c.answer);
        Item(IDC_ASK).Click();
        const ui::MessageBoxRecord box = App().WaitForMessageBox();
        EXPECT_EQ(box.text, "Continue?");
        EXPECT_EQ(box.icon, ui::BoxIcon::Question) << ui::Name(box.icon);
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(box.answer, c.answer);
        Item(IDC_MESSAGE).WaitForText(c.shown);
    }
    EXPECT_EQ(App().MessageBoxes().size(), 3u);
}

TEST(MessageBoxes, AQuestionBeforeTheDialogIsShown) {
    struct Case {
        int answer;
        bool dialogShown;
    };
    for (const Case& c : {Case{IDNO, false}, Case{IDYES, true}}) {
        SCOPED_TRACE(ui::ButtonName(c.answer));
        ui::Process app(FixturePath(), "/ask", "", {c.answer});
        const ui::MessageBoxRecord box = app.WaitForMessageBox();
        EXPECT_EQ(box.text, "Start anyway?");
        EXPECT_EQ(box.icon, ui::BoxIcon::Exclamation) << ui::Name(box.icon);
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(box.ownerTitle, "UI Fixture");
        EXPECT_FALSE(box.ownerVisible);
        if (c.dialogShown) {
            app.WaitForDialog("UI Fixture").Item(IDC_QUIT).Click();
            EXPECT_EQ(app.WaitForExit(), DWORD(FIXTURE_QUIT_CODE));
        } else {
            EXPECT_EQ(app.WaitForExit(), DWORD(IDCANCEL));
        }
    }
}

// The driver's own failure reports, caught with GoogleTest's failure catcher.
void AskWithoutAnAnswer() {
    ui::Process app(FixturePath());
    const ui::Window dialog = app.WaitForDialog("UI Fixture");
    dialog.Item(IDC_ASK).Click();
    dialog.Item(IDC_MESSAGE).WaitForText("No"); // answered cautiously
    const ui::MessageBoxRecord box = app.WaitForMessageBox();
    EXPECT_FALSE(box.expected);
    EXPECT_EQ(box.answer, IDNO);
}

void WarnWithTheWrongAnswer() {
    ui::Process app(FixturePath());
    const ui::Window dialog = app.WaitForDialog("UI Fixture");
    app.Answer(IDYES);
    dialog.Item(IDC_WARN).Click();
    dialog.Item(IDC_MESSAGE).WaitForText("Warned");
}

void QuitWithAnAnswerLeft() {
    ui::Process app(FixturePath());
    app.Answer(IDYES);
    app.WaitForDialog("UI Fixture").Item(IDC_QUIT).Click();
    app.WaitForExit();
}

TEST(MessageBoxes, AnUnexpectedBoxIsAnsweredAndFailsTheScenario) {
    EXPECT_NONFATAL_FAILURE(AskWithoutAnAnswer(),
                            "unexpected message box: uifixture: \"Continue?\" [Question] "
                            "Yes/No -> No (unexpected)");
}

TEST(MessageBoxes, AnAnswerTheBoxDoesNotOfferFailsTheScenario) {
    EXPECT_NONFATAL_FAILURE(WarnWithTheWrongAnswer(),
                            "OK -> OK (unexpected: the scenario wanted Yes)");
}

TEST(MessageBoxes, AnAnswerNoBoxTookFailsTheScenario) {
    EXPECT_NONFATAL_FAILURE(QuitWithAnAnswerLeft(), "took the answer Yes");
}

} // namespace
