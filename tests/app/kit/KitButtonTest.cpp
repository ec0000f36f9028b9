#include <gtest/gtest.h>

#include <QAccessible>
#include <QEnterEvent>
#include <QTest>

#include "app/kit/KitButton.h"
#include "app/kit/PillButton.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PillGroup.h"
#include "app/theme/AppMotion.h"

namespace korvane {
namespace {

class KitButtonTest : public testing::Test {
protected:
    void SetUp() override { AppMotion::setJumpToEnd(true); }
    void TearDown() override { AppMotion::setJumpToEnd(false); }

    static void hover(QWidget* widget, bool inside) {
        if (inside) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)));
            QCoreApplication::sendEvent(widget, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(widget, &leave);
        }
    }
};

TEST_F(KitButtonTest, LookFollowsPointerAndEnabledState) {
    QWidget window;
    setEnvironmentPalette(&window, ThemeID::graphite);
    const Palette& p = Palette::forTheme(ThemeID::graphite);
    auto* solid = new KitButton(KitButton::Style::solid, "Clean", &window);
    auto* outline = new KitButton(KitButton::Style::outline, "Cancel", &window);
    window.show();

    hover(solid, true);
    EXPECT_DOUBLE_EQ(solid->targetLook().scale, 1.012);
    QTest::mousePress(solid, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(solid->targetLook().scale, 0.975);
    QTest::mouseRelease(solid, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(solid->targetLook().scale, 1.012);
    hover(solid, false);
    EXPECT_DOUBLE_EQ(solid->targetLook().scale, 1.0);

    outline->setEnabled(false);
    hover(outline, true);
    EXPECT_EQ(outline->targetLook().background, p.panel);
    outline->setEnabled(true);
    EXPECT_EQ(outline->targetLook().background, withOpacity(p.hover, 0.6));
}

TEST_F(KitButtonTest, ThemeChangeRestylesAndClicksReachTheHandler) {
    QWidget window;
    setEnvironmentPalette(&window, ThemeID::paper);
    auto* button = new KitButton(KitButton::Style::solid, "Scan", &window);
    window.show();
    EXPECT_EQ(button->targetLook().background, Palette::forTheme(ThemeID::paper).solid);
    setEnvironmentPalette(&window, ThemeID::iron);
    EXPECT_EQ(button->targetLook().background, Palette::forTheme(ThemeID::iron).solid);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(KitButtonTest, TitlesAreDataNotMarkup) {
    for (const QString& title : {QStringLiteral("a&b"), QStringLiteral("<b>x</b>"), QStringLiteral("&&")}) {
        KitButton button(KitButton::Style::outline, title);
        EXPECT_EQ(button.title(), title);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&button);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Name), title) << title.toStdString();
    }
}

// A pill on its own reads as a toggle button, pressed while active; in a group
// it reads as a tab of the group's tab list, selected while active. A screen
// reader's action asks its owner as a click does and changes nothing by itself.
TEST_F(KitButtonTest, PillsReadTheirRoleAndStateAndAnswerTheirActions) {
    PillButton alone("gearshape", QStringLiteral("Settings"));
    PillGroup group(8);
    auto* tab = new PillButton("calendar", QStringLiteral("Age Map"));
    group.addPill(new PillButton("flame", QStringLiteral("Flame")));
    group.addPill(tab);
    struct Case {
        PillButton* pill;
        QAccessible::Role role;
        QString action;
        bool (*shown)(const QAccessible::State&);
    };
    const Case cases[] = {
        {&alone, QAccessible::Button, QAccessibleActionInterface::toggleAction(),
         [](const QAccessible::State& state) -> bool { return state.checked; }},
        {tab, QAccessible::PageTab, QAccessibleActionInterface::pressAction(),
         [](const QAccessible::State& state) -> bool { return state.selected; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pill->text().toStdString());
        int clicks = 0;
        QObject::connect(c.pill, &QAbstractButton::clicked, [&clicks] { ++clicks; });
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(c.pill);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), c.role);
        EXPECT_EQ(accessible->text(QAccessible::Name), c.pill->text());
        EXPECT_TRUE(accessible->state().focusable);
        ASSERT_NE(accessible->actionInterface(), nullptr);
        ASSERT_TRUE(accessible->actionInterface()->actionNames().contains(c.action));
        for (const bool active : {false, true}) {
            SCOPED_TRACE(active ? "active" : "resting");
            c.pill->setActive(active);
            EXPECT_EQ(c.shown(accessible->state()), active);
            const int before = clicks;
            accessible->actionInterface()->doAction(c.action);
            EXPECT_EQ(clicks, before + 1);
            EXPECT_EQ(c.pill->isActive(), active);
            EXPECT_EQ(c.shown(accessible->state()), active);  // until the owner says otherwise
            // A mouse click does not change it either.
            QTest::mouseClick(c.pill, Qt::LeftButton);
            EXPECT_EQ(clicks, before + 2);
            EXPECT_EQ(c.shown(accessible->state()), active);
        }
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&group)->role(), QAccessible::PageTabList);
}

}  // namespace
}  // namespace korvane
