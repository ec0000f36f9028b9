#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "app/kit/DisposalPicker.h"
#include "app/kit/Dropdown.h"
#include "app/kit/DropdownRow.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/ShownToolTip.h"
#include "app/kit/ThemePicker.h"
#include "app/theme/AppMotion.h"
#include "tests/app/fakes/FakeCompositor.h"

namespace korvane {
namespace {

class DropdownTest : public ::testing::Test {
protected:
    void SetUp() override { AppMotion::setJumpToEnd(true); }
    void TearDown() override { AppMotion::setJumpToEnd(false); }

    // Rows whose first closes the list and whose second does not.
    static Dropdown::Content twoRows(int& firstRuns, int& secondRuns) {
        return [&firstRuns, &secondRuns](const Dropdown::Close& close) {
            return QList<QWidget*>{
                new DropdownRow(true, [&firstRuns, close] { ++firstRuns;
                    close(); }, new QLabel("first")),
                new DropdownRow(false, [&secondRuns] { ++secondRuns; }, new QLabel("second")),
            };
        };
    }

    // A dropdown in the window whose list holds twoRows.
    static Dropdown* twoRowDropdown(QWidget& window, int& firstRuns, int& secondRuns) {
        auto* dropdown = new Dropdown(Dropdown::Alignment::leading, Dropdown::Direction::down, 200, &window);
        dropdown->setLabel(new QLabel("Label"));
        dropdown->setContent(twoRows(firstRuns, secondRuns));
        return dropdown;
    }

    static void clickOutside(QWidget* list) {
        QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(-40, -40));
    }
};

TEST_F(DropdownTest, LabelTogglesAndOutsideClickOnlyCloses) {
    QWidget window;
    int first = 0, second = 0;
    Dropdown* dropdown = twoRowDropdown(window, first, second);
    window.show();
    QSignalSpy changes(dropdown, &Dropdown::openChanged);

    QTest::mouseClick(dropdown, Qt::LeftButton);
    ASSERT_TRUE(dropdown->isOpen());
    QWidget* list = dropdown->list();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isWindow());
    EXPECT_EQ(list->findChildren<DropdownRow*>().size(), 2);

    clickOutside(list);
    EXPECT_FALSE(dropdown->isOpen());
    EXPECT_EQ(first + second, 0);  // the catcher runs nothing
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[0][0].toBool(), true);
    EXPECT_EQ(changes[1][0].toBool(), false);

    // Clicking the label of an open list closes it, and does not reopen it.
    QTest::mouseClick(dropdown, Qt::LeftButton);
    ASSERT_TRUE(dropdown->isOpen());
    const QPoint onLabel = dropdown->list()->mapFromGlobal(dropdown->mapToGlobal(dropdown->rect().center()));
    QTest::mouseClick(dropdown->list(), Qt::LeftButton, {}, onLabel);
    EXPECT_FALSE(dropdown->isOpen());
}

TEST_F(DropdownTest, RowsRunTheirActionAndOnlyTheCloseActionCloses) {
    QWidget window;
    int first = 0, second = 0;
    Dropdown* dropdown = twoRowDropdown(window, first, second);
    window.show();
    dropdown->setOpen(true);
    auto rows = dropdown->list()->findChildren<DropdownRow*>();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0]->isSelected());
    EXPECT_FALSE(rows[1]->isSelected());

    QTest::mouseClick(rows[1], Qt::LeftButton);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(dropdown->isOpen());
    EXPECT_FALSE(rows[1]->isSelected());  // clicking does not tick a row

    QTest::mouseClick(rows[0], Qt::LeftButton);
    EXPECT_EQ(first, 1);
    EXPECT_FALSE(dropdown->isOpen());
}

TEST_F(DropdownTest, ListOpensBelowOrAboveOnTheAlignedEdge) {
    const testing::FakeCompositor composited(true);
    QWidget window;
    window.resize(600, 600);
    auto* down = new Dropdown(Dropdown::Alignment::trailing, Dropdown::Direction::down, 200, &window);
    down->setLabel(new QLabel("Down"));
    down->move(300, 100);
    auto* up = new Dropdown(Dropdown::Alignment::center, Dropdown::Direction::up, 200, &window);
    up->setLabel(new QLabel("Up"));
    up->move(100, 500);
    window.show();
    for (Dropdown* dropdown : {down, up}) {
        dropdown->adjustSize();
        dropdown->setOpen(true);
        ASSERT_TRUE(dropdown->isOpen());
        // The card is the list less its shadow room; its width is the column plus padding.
        const QRect card = dropdown->list()->geometry().marginsRemoved(QMargins(18, 10, 18, 26));
        const QRect label(dropdown->mapToGlobal(QPoint(0, 0)), dropdown->size());
        EXPECT_EQ(card.width(), 210);
        if (dropdown == down) {
            EXPECT_EQ(card.top(), label.top() + 26);
            EXPECT_EQ(card.right(), label.right());
        } else {
            EXPECT_EQ(card.bottom(), label.bottom() - 26);
            EXPECT_EQ(card.left(), label.left());
        }
        dropdown->setOpen(false);
    }
}

TEST_F(DropdownTest, ThemePickerReportsTheChosenThemeAndMarksTheCurrentOne) {
    QWidget window;
    setEnvironmentPalette(&window, ThemeID::solar);
    auto* picker = new ThemePicker(&window);
    window.show();
    QSignalSpy chosen(picker, &ThemePicker::themeChosen);
    EXPECT_EQ(shownToolTip(*picker->dropdown()), "Theme");
    EXPECT_EQ(picker->dropdown()->accessibleName(), "Theme");

    QTest::mouseClick(picker->dropdown(), Qt::LeftButton);
    ASSERT_TRUE(picker->dropdown()->isOpen());
    const auto rows = picker->dropdown()->list()->findChildren<DropdownRow*>();
    ASSERT_EQ(rows.size(), 9);
    QStringList names;
    for (auto* row : rows) {
        names << row->accessibleName();
        EXPECT_EQ(row->isSelected(), row->accessibleName() == "Solar");
    }
    EXPECT_EQ(names, QStringList({"Paper", "Graphite", "Terminal", "Blueprint", "Iron", "Arcade", "Bloom", "Solar",
                                  "Nord"}));
    QTest::mouseClick(rows[8], Qt::LeftButton);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].value<ThemeID>(), ThemeID::nord);
    EXPECT_FALSE(picker->dropdown()->isOpen());
}

TEST_F(DropdownTest, DisposalPickerReportsPicksAndFollowsTheOverride) {
    QWidget window;
    auto* picker = new DisposalPicker(defaultDisposalOptions(), &window);
    window.show();
    QSignalSpy chosen(picker, &DisposalPicker::disposalChosen);
    EXPECT_EQ(picker->dropdown()->accessibleName(), "Recommended");

    struct Pick {
        int row;
        std::optional<Disposal> value;
        const char* label;
    };
    for (const Pick& pick : {Pick{1, Disposal::trash, "Always move to Trash"}, Pick{1, Disposal::trash, ""},
                             Pick{0, std::nullopt, "Recommended"}, Pick{2, Disposal::delete_, "Always delete"}}) {
        QTest::mouseClick(picker->dropdown(), Qt::LeftButton);
        ASSERT_TRUE(picker->dropdown()->isOpen());
        const auto rows = picker->dropdown()->list()->findChildren<DropdownRow*>();
        ASSERT_EQ(rows.size(), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(rows[i]->isSelected(), defaultDisposalOptions()[i].value == picker->disposalOverride());
        QTest::mouseClick(rows[pick.row], Qt::LeftButton);
        EXPECT_FALSE(picker->dropdown()->isOpen());
        ASSERT_FALSE(chosen.isEmpty());
        EXPECT_EQ(chosen.takeLast()[0].value<std::optional<Disposal>>(), pick.value);
        // The owner stores the pick and hands it back.
        picker->setDisposalOverride(pick.value);
        if (*pick.label) {
            EXPECT_EQ(picker->dropdown()->accessibleName(), pick.label);
        }
    }
}

TEST_F(DropdownTest, DisposalPickerWithoutTheOverrideAmongItsOptionsShowsTheFirst) {
    QWidget window;
    auto* picker = new DisposalPicker({{Disposal::delete_, "Delete", "Gone", "xmark.bin"},
                                       {Disposal::trash, "Trash", "Back later", "trash"}},
                                      &window);
    window.show();
    EXPECT_EQ(picker->dropdown()->accessibleName(), "Delete");
    picker->dropdown()->setOpen(true);
    for (auto* row : picker->dropdown()->list()->findChildren<DropdownRow*>()) EXPECT_FALSE(row->isSelected());
}

TEST_F(DropdownTest, WithoutACompositorTheListIsOpaqueWithARuleColouredEdge) {
    for (const bool isComposited : {true, false}) {
        SCOPED_TRACE(isComposited ? "composited" : "not composited");
        const testing::FakeCompositor compositor(isComposited);
        QWidget window;
        setEnvironmentPalette(&window, ThemeID::graphite);
        int first = 0, second = 0;
        Dropdown* dropdown = twoRowDropdown(window, first, second);
        window.show();
        dropdown->setOpen(true);
        QWidget* list = dropdown->list();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->testAttribute(Qt::WA_TranslucentBackground), isComposited);
        const Palette& palette = Palette::forTheme(ThemeID::graphite);
        const QImage image = list->grab().toImage();
        if (isComposited) {
            // Room for the shadow around a card of the column's width and padding.
            EXPECT_EQ(list->width(), 210 + 36);
            EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
        } else {
            // The window is the card: its outermost pixels are the rule, within is the panel.
            EXPECT_EQ(list->width(), 210);
            for (const QPoint edge : {QPoint(0, 0), QPoint(list->width() - 1, list->height() / 2),
                                      QPoint(list->width() / 2, list->height() - 1)})
                EXPECT_EQ(image.pixelColor(edge), palette.hairline) << edge.x() << "," << edge.y();
            EXPECT_EQ(image.pixelColor(2, 2), palette.panel);
        }
        dropdown->setOpen(false);
    }
}

// Keys go where the application sends them: to the focused widget.
void press(int key) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key));
}

TEST_F(DropdownTest, KeyboardOpensMovesChoosesAndEscapes) {
    QWidget window;
    auto* dropdown = new Dropdown(Dropdown::Alignment::leading, Dropdown::Direction::down, 200, &window);
    dropdown->setLabel(new QLabel("Label"));
    int runs[3] = {0, 0, 0};
    dropdown->setContent([&runs](const Dropdown::Close& close) {
        QList<QWidget*> rows{new QLabel("HEADER")};  // a heading is passed over
        for (int i = 0; i < 3; ++i)
            rows.append(new DropdownRow(i == 1, [&runs, i, close] {
                ++runs[i];
                close();
            }, new QLabel(QString::number(i))));
        return rows;
    });
    window.show();
    QApplication::setActiveWindow(&window);
    dropdown->setFocus();
    ASSERT_TRUE(dropdown->hasFocus());

    const auto focusedRow = [&] {
        const auto rows = dropdown->list()->findChildren<DropdownRow*>();
        return static_cast<int>(rows.indexOf(qobject_cast<DropdownRow*>(QApplication::focusWidget())));
    };
    const struct {
        int key;
        int focused;  // the row with the focus afterwards; -1: the list is closed
    } steps[] = {
        {Qt::Key_Down, 1},  // opens on the selected row
        {Qt::Key_Down, 2}, {Qt::Key_Down, 2}, {Qt::Key_Up, 1}, {Qt::Key_Home, 0}, {Qt::Key_End, 2},
        {Qt::Key_Escape, -1},
        {Qt::Key_Return, 1}, {Qt::Key_Up, 0}, {Qt::Key_Up, 0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(QKeySequence(step.key).toString().toStdString());
        press(step.key);
        if (step.focused < 0) {
            EXPECT_FALSE(dropdown->isOpen());
            EXPECT_TRUE(dropdown->hasFocus());  // back on the label
        } else {
            ASSERT_TRUE(dropdown->isOpen());
            EXPECT_EQ(focusedRow(), step.focused);
        }
    }
    // Nothing chosen by moving or escaping.
    EXPECT_EQ(runs[0] + runs[1] + runs[2], 0);
    press(Qt::Key_Return);
    EXPECT_EQ(runs[0], 1);
    EXPECT_FALSE(dropdown->isOpen());
    // Space opens and chooses as well.
    press(Qt::Key_Space);
    ASSERT_TRUE(dropdown->isOpen());
    press(Qt::Key_Down);
    press(Qt::Key_Space);
    EXPECT_EQ(runs[2], 1);
    EXPECT_FALSE(dropdown->isOpen());
}

// What a screen reader sees of the pickers' rows and how it chooses one.
TEST_F(DropdownTest, ScreenReadersChooseARowByCheckingIt) {
    QWidget window;
    setEnvironmentPalette(&window, ThemeID::paper);
    auto* themes = new ThemePicker(&window);
    auto* disposal = new DisposalPicker(defaultDisposalOptions(), &window);
    window.show();
    QSignalSpy themeChosen(themes, &ThemePicker::themeChosen);
    QSignalSpy disposalChosen(disposal, &DisposalPicker::disposalChosen);

    const struct {
        Dropdown* dropdown;
        QString selected, chosen;
        std::function<bool()> reported;
    } pickers[] = {
        {themes->dropdown(), "Paper", "Nord",
         [&] { return themeChosen.size() == 1 && themeChosen[0][0].value<ThemeID>() == ThemeID::nord; }},
        {disposal->dropdown(), "Recommended", "Always delete",
         [&] {
             return disposalChosen.size() == 1 &&
                    disposalChosen[0][0].value<std::optional<Disposal>>() == Disposal::delete_;
         }},
    };
    for (const auto& picker : pickers) {
        SCOPED_TRACE(picker.chosen.toStdString());
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(picker.dropdown);
        ASSERT_NE(face, nullptr);
        // A combo box whose value is the choice it shows, collapsed until its action opens it.
        EXPECT_EQ(face->role(), QAccessible::ComboBox);
        EXPECT_EQ(face->text(QAccessible::Value), picker.selected);
        EXPECT_TRUE(face->state().focusable);
        EXPECT_TRUE(face->state().collapsed);
        ASSERT_TRUE(face->actionInterface() != nullptr);
        face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        for (int wait = 0; wait < 50 && !picker.dropdown->isOpen(); ++wait) QTest::qWait(20);
        ASSERT_TRUE(picker.dropdown->isOpen()) << "the press action opens the list";
        EXPECT_TRUE(face->state().expanded);

        DropdownRow* target = nullptr;
        for (DropdownRow* row : picker.dropdown->list()->findChildren<DropdownRow*>()) {
            QAccessibleInterface* item = QAccessible::queryAccessibleInterface(row);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->role(), QAccessible::RadioButton) << row->accessibleName().toStdString();
            EXPECT_TRUE(item->state().checkable);
            EXPECT_EQ(item->state().checked, item->text(QAccessible::Name) == picker.selected)
                << item->text(QAccessible::Name).toStdString();
            EXPECT_TRUE(item->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
            if (item->text(QAccessible::Name) == picker.chosen) target = row;
        }
        ASSERT_NE(target, nullptr);
        QAccessible::queryAccessibleInterface(target)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(picker.reported());
        EXPECT_FALSE(picker.dropdown->isOpen());
        EXPECT_FALSE(face->state().expanded);
    }
}

// While the list is open its choices are in the accessible tree, in order, radio buttons named by
// their choice, the current one checked; every step down the tree leads back up to where it came from.
TEST_F(DropdownTest, TheOpenListsChoicesAreInTheAccessibleTree) {
    QWidget window;
    setEnvironmentPalette(&window, ThemeID::paper);
    auto* picker = new DisposalPicker(defaultDisposalOptions(), &window);
    window.show();
    picker->dropdown()->setOpen(true);
    ASSERT_TRUE(picker->dropdown()->isOpen());
    std::vector<std::pair<std::string, bool>> choices;
    std::vector<QAccessibleInterface*> walk{QAccessible::queryAccessibleInterface(&window)};
    while (!walk.empty()) {
        QAccessibleInterface* face = walk.back();
        walk.pop_back();
        if (face->role() == QAccessible::RadioButton)
            choices.emplace_back(face->text(QAccessible::Name).toStdString(), face->state().checked);
        for (int index = face->childCount(); index-- > 0;) {
            walk.push_back(face->child(index));
            ASSERT_TRUE(walk.back() != nullptr && walk.back()->parent() == face) << "child " << index;
        }
    }
    EXPECT_EQ(choices, (std::vector<std::pair<std::string, bool>>{
                           {"Recommended", true}, {"Always move to Trash", false}, {"Always delete", false}}));
    picker->dropdown()->setOpen(false);
}

}  // namespace
}  // namespace korvane
