#include "UiFixture.h"

#include <vector>

namespace {

class TreeScenario : public FixtureScenario {
protected:
    void SetUp() override {
        FixtureScenario::SetUp();
        picker_ = OpenPicker();
        tree_ = std::make_unique<ui::TreeView>(picker_.Item(IDC_TREE));
    }
    ui::TreeView& Tree() { return *tree_; }

    ui::Window picker_;
    std::unique_ptr<ui::TreeView> tree_;
};

std::vector<std::string> Texts(const std::vector<ui::TreeItem>& items) {
    std::vector<std::string> texts;
    for (const ui::TreeItem& item : items)
        texts.push_back(item.text);
    return texts;
}

TEST_F(TreeScenario, ReadsTheWholeTree) {
    const std::vector<ui::TreeItem> items = Tree().Items();
    ASSERT_EQ(Texts(items), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}))
        << ui::Dump(items);
    EXPECT_EQ(Texts(items[0].children), (std::vector<std::string>{"One", "Two"}));
    ASSERT_EQ(Texts(items[1].children), std::vector<std::string>{"Three"});
    EXPECT_EQ(Texts(items[1].children[0].children), std::vector<std::string>{"Deep"});
    ASSERT_EQ(items[2].children.size(), 30u);
    EXPECT_EQ(items[2].children[29].text, "Item 30");
    for (const ui::TreeItem& item : items) {
        EXPECT_EQ(item.image, 0) << item.text;
        EXPECT_EQ(item.selectedImage, 0) << item.text;
        EXPECT_FALSE(item.expanded) << item.text;
    }
    EXPECT_EQ(Tree().Find("Beta\\Three\\Deep"), items[1].children[0].children[0].handle);
    EXPECT_EQ(Tree().Find("Beta\\Deep"), nullptr);
    EXPECT_EQ(Tree().Find("beta"), nullptr) << "texts are matched exactly";
    EXPECT_THROW(Tree().Get("Delta"), ui::Failure);
}

TEST_F(TreeScenario, ExpandsAndSelectsThroughTheDialogsHandlers) {
    const HTREEITEM beta = Tree().Get("Beta");
    Tree().Expand(beta);
    ui::TreeItem read = Tree().Read(beta, false);
    EXPECT_TRUE(read.expanded);
    EXPECT_EQ(read.image, 1) << "the dialog's expanding handler switches the image";
    EXPECT_EQ(read.selectedImage, 1);

    const HTREEITEM three = Tree().Get("Beta\\Three");
    Tree().Select(three);
    picker_.Item(IDC_TREE_PATH).WaitForText("Beta\\Three\\");
    EXPECT_EQ(Tree().Selection(), three);
    EXPECT_TRUE(Tree().Read(three, false).selected);
    EXPECT_FALSE(Tree().Read(beta, false).selected);

    picker_.Item(IDOK).Click();
    picker_.WaitUntilGone();
    Item(IDC_PATH).WaitForText("Beta\\Three\\");
}

TEST_F(TreeScenario, TheExpandMessageDoesNotNotifyACollapse) {
    const HTREEITEM alpha = Tree().Get("Alpha");
    Tree().Expand(alpha);
    EXPECT_EQ(Tree().Read(alpha, false).image, 1);
    Tree().Collapse(alpha);
    const ui::TreeItem read = Tree().Read(alpha, false);
    EXPECT_FALSE(read.expanded);
    EXPECT_EQ(read.image, 1) << "the dialog's expanding handler did not run";
}

TEST_F(TreeScenario, TheExpandButtonNotifiesEveryTime) {
    const HTREEITEM alpha = Tree().Get("Alpha");
    const HTREEITEM selected = Tree().Selection();
    for (const bool expanded : {true, false, true}) {
        SCOPED_TRACE(expanded ? "expanding" : "collapsing");
        Tree().ClickButton(alpha);
        ASSERT_TRUE(ui::WaitUntil([&] { return Tree().Read(alpha, false).expanded == expanded; }));
        EXPECT_EQ(Tree().Read(alpha, false).image, expanded ? 1 : 0);
    }
    EXPECT_EQ(Tree().Selection(), selected) << "the button does not select";
    EXPECT_THROW(Tree().ClickButton(Tree().Get("Alpha\\One")), ui::Failure) << "no children";
}

TEST_F(TreeScenario, TellsWhetherAnItemIsScrolledIntoView) {
    const HTREEITEM gamma = Tree().Get("Gamma");
    EXPECT_TRUE(Tree().InView(gamma));
    EXPECT_FALSE(Tree().InView(Tree().Get("Beta\\Three\\Deep"))) << "below a collapsed item";
    Tree().Expand(gamma);
    const HTREEITEM last = Tree().Get("Gamma\\Item 30");
    EXPECT_TRUE(Tree().InView(gamma));
    EXPECT_FALSE(Tree().InView(last));
    Tree().Select(last);
    EXPECT_TRUE(Tree().InView(last));
    EXPECT_FALSE(Tree().InView(gamma));
}

TEST_F(TreeScenario, CancelKeepsThePath) {
    Tree().Select(Tree().Get("Alpha\\Two"));
    picker_.Item(IDC_TREE_PATH).WaitForText("Alpha\\Two\\");
    picker_.PressKey(VK_ESCAPE);
    picker_.WaitUntilGone();
    EXPECT_EQ(Item(IDC_PATH).Text(), "C:\\Fixture");
}

} // namespace
