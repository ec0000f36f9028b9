#include <gtest/gtest.h>

#include <QAccessible>
#include <QEnterEvent>
#include <QTest>

#include "app/kit/KitButton.h"
#include "app/kit/PillButton.h"
#include "app/kit/PaletteEnvironment.h"
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

// A pill reads as checked while active; a screen reader's "Toggle" asks its
// owner as a click does and changes nothing by itself.
TEST_F(KitButtonTest, PillsReadTheirStateAndAnswerTheToggleAction) {
    PillButton pill("gearshape", QStringLiteral("Settings"));
    int clicks = 0;
    QObject::connect(&pill, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&pill);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Settings"));
    EXPECT_TRUE(accessible->state().focusable);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    const QString toggle = QAccessibleActionInterface::toggleAction();
    ASSERT_TRUE(accessible->actionInterface()->actionNames().contains(toggle));

    for (const bool active : {false, true}) {
        SCOPED_TRACE(active ? "active" : "resting");
        pill.setActive(active);
        EXPECT_EQ(accessible->state().checked, active);
        const int before = clicks;
        accessible->actionInterface()->doAction(toggle);
        EXPECT_EQ(clicks, before + 1);
        EXPECT_EQ(pill.isActive(), active);
        EXPECT_EQ(accessible->state().checked, active);  // until the owner says otherwise
        // A mouse click does not tick it either.
        QTest::mouseClick(&pill, Qt::LeftButton);
        EXPECT_EQ(clicks, before + 2);
        EXPECT_EQ(accessible->state().checked, active);
    }
}

}  // namespace
}  // namespace korvane
