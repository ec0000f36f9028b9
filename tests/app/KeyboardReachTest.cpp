#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "app/MainWindow.h"
#include "app/frame/ExploreLayout.h"
#include "app/frame/RootView.h"
#include "app/frame/TopBar.h"
#include "app/kit/Dropdown.h"
#include "app/settings/SettingsView.h"
#include "app/state/PreferencesState.h"
#include "app/state/ThemeID.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

// One place a user can be: how the window starts there, and what else opens.
struct Place {
    using Open = std::function<QWidget*(MainWindow&)>;
    Place(const char* name, std::vector<std::string> arguments, QSize size = {1440, 900}, Open open = {})
        : name(name), arguments(std::move(arguments)), size(size), open(std::move(open)) {}

    const char* name;
    std::vector<std::string> arguments;
    QSize size;
    // Opens what takes the keys when it is not the window or its sheet.
    Open open;
};

void PrintTo(const Place& place, std::ostream* out) { *out << place.name; }

// The part of the widget inside every one of its ancestors, in the window's coordinates.
QRect shownPart(const QWidget* widget) {
    QRect shown = widget->rect();
    for (const QWidget* inner = widget; !inner->isWindow() && inner->parentWidget() != nullptr;
         inner = inner->parentWidget()) {
        shown.translate(inner->pos());
        shown &= inner->parentWidget()->rect();
    }
    return shown;
}

// What Tab reaches in a window: each stop once, in order.
QWidgetList tabStops(QWidget* window) {
    QWidgetList stops;
    QWidget* start = QApplication::focusWidget();
    if (start == nullptr || start->window() != window) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        window->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window, Qt::Key_Tab);
        start = QApplication::focusWidget();
    }
    for (QWidget* focused = start; focused != nullptr && stops.size() < 300;) {
        if (stops.contains(focused)) break;
        stops.append(focused);
        // What has the focus is on show: scrolled into view, not squeezed to nothing.
        EXPECT_FALSE(shownPart(focused).isEmpty())
            << focused->metaObject()->className() << " \"" << focused->accessibleName().toStdString()
            << "\" has the focus out of sight";
        QTest::keyClick(focused, Qt::Key_Tab);
        QCoreApplication::processEvents();
        focused = QApplication::focusWidget();
    }
    return stops;
}

class KeyboardReachTest : public testing::FlowFixture, public ::testing::WithParamInterface<Place> {
protected:
    KeyboardReachTest() { AppMotion::setJumpToEnd(true); }
    ~KeyboardReachTest() override {
        window_.reset();
        AppMotion::setJumpToEnd(false);
    }

    QWidget* open(const Place& place) {
        std::vector<std::string> arguments = place.arguments;
        for (std::string& argument : arguments)
            if (argument == "HOME") argument = home_;
        const bool scansFolder = std::find(arguments.begin(), arguments.end(), "--folder") != arguments.end();
        // One large file, so that the lists of large files and of search results hold a row.
        if (scansFolder) {
            std::filesystem::create_directories(at("Movies"));
            const int fd = ::open(at("Movies/holiday.mov").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            EXPECT_GE(fd, 0);
            EXPECT_EQ(::posix_fallocate(fd, 0, 60'000'000), 0);
            ::close(fd);
        }
        launch(arguments);
        if (scansFolder) {
            EXPECT_TRUE(
                testing::waitUntil([&] { return state().folderScan().generalResult().has_value(); }, 20));
        }
        window_ = std::make_unique<MainWindow>(state());
        window_->resize(place.size);
        window_->bringToFront();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QApplication::setActiveWindow(window_.get());
        QCoreApplication::processEvents();
        // The sheets open a moment after the window.
        for (const char* sheet : {"review", "history", "settings"})
            if (std::find(arguments.begin(), arguments.end(), sheet) != arguments.end()) {
                EXPECT_TRUE(testing::waitUntil([&] { return window_->sheetDialog() != nullptr; }, 5));
            }
        QWidget* target =
            window_->sheetDialog() ? static_cast<QWidget*>(window_->sheetDialog()) : window_.get();
        if (place.open) target = place.open(*window_);
        QCoreApplication::processEvents();
        return target;
    }

    std::unique_ptr<MainWindow> window_;
};

// The controls a keyboard user must be able to reach.
bool isControl(QWidget* widget) {
    // A field's clear button and a tab bar's scroll arrows are the field's and the bar's own.
    if (qobject_cast<QLineEdit*>(widget->parentWidget()) || qobject_cast<QTabBar*>(widget->parentWidget()))
        return false;
    // An empty list holds nothing to reach.
    if (auto* list = qobject_cast<QAbstractItemView*>(widget))
        return list->model() != nullptr && list->model()->rowCount() > 0;
    return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
           qobject_cast<QComboBox*>(widget) || qobject_cast<QSlider*>(widget);
}

// A radio button of an exclusive group or a tab of a tab list.
bool isOneOfAGroup(QWidget* widget) {
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) return radio->autoExclusive();
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr && face->role() == QAccessible::PageTab;
}

// Tab stops at one button of an exclusive group or one tab of a tab list:
// the others are reached with the arrows.
bool reachedThroughItsGroup(QWidget* widget, const QWidgetList& stops) {
    if (!isOneOfAGroup(widget)) return false;
    for (QWidget* stop : stops)
        if (isOneOfAGroup(stop) && stop->parentWidget() == widget->parentWidget()) return true;
    return false;
}

// A pixel that changes by this much in some channel changes visibly.
constexpr int visibleStep = 40;
// A focus ring round even the smallest stop changes more pixels than this.
constexpr int visibleFocus = 40;

// How many pixels of the window, on and just around a stop, change visibly
// when it takes the focus: the picture with the focus against the one without.
int focusChange(QWidget* stop) {
    QWidget* window = stop->window();
    stop->setFocus(Qt::TabFocusReason);
    // As Tab brings it into view.
    for (QWidget* outer = stop->parentWidget(); outer != nullptr; outer = outer->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(outer)) scroll->ensureWidgetVisible(stop);
    QCoreApplication::processEvents();
    const QRect around = shownPart(stop).adjusted(-8, -8, 8, 8) & window->rect();
    const QImage focused = window->grab(around).toImage().convertToFormat(QImage::Format_RGB32);
    stop->clearFocus();
    QCoreApplication::processEvents();
    const QImage unfocused = window->grab(around).toImage().convertToFormat(QImage::Format_RGB32);
    if (focused.size() != unfocused.size()) return 0;
    int changed = 0;
    for (int y = 0; y < focused.height(); ++y)
        for (int x = 0; x < focused.width(); ++x) {
            const QRgb a = focused.pixel(x, y);
            const QRgb b = unfocused.pixel(x, y);
            changed += std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                 std::abs(qBlue(a) - qBlue(b))}) >= visibleStep;
        }
    return changed;
}

// Whatever Tab reaches shows that it has the focus, in every theme: the
// window on and around the stop looks clearly different with the focus.
TEST_P(KeyboardReachTest, EveryStopShowsItsFocusInEveryTheme) {
    QWidget* target = open(GetParam());
    ASSERT_NE(target, nullptr);
    for (const ThemeID theme : allThemeIDs()) {
        state().preferences().setThemeID(theme);
        QCoreApplication::processEvents();
        // A new theme may build rows anew: the stops are walked again.
        const QWidgetList stops = tabStops(target);
        ASSERT_FALSE(stops.isEmpty());
        for (QWidget* stop : stops) {
            EXPECT_GE(focusChange(stop), visibleFocus)
                << rawValue(theme) << ": " << stop->metaObject()->className() << " \""
                << stop->accessibleName().toStdString() << "\" shows no focus";
        }
    }
}

TEST_P(KeyboardReachTest, TabReachesEveryControlAndEachIsNamedAndAnswersItsKey) {
    QWidget* target = open(GetParam());
    ASSERT_NE(target, nullptr);
    const QWidgetList stops = tabStops(target);
    ASSERT_FALSE(stops.isEmpty());
    for (QWidget* stop : stops) {
        const std::string what = stop->metaObject()->className();
        SCOPED_TRACE(what);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(stop);
        ASSERT_NE(face, nullptr);
        EXPECT_FALSE(face->text(QAccessible::Name).trimmed().isEmpty()) << what << " has no accessible name";
        // A plain client area is no role for a control; only a scrolling page is one.
        EXPECT_NE(face->role(), QAccessible::NoRole) << what;
        if (!qobject_cast<QAbstractScrollArea*>(stop)) {
            EXPECT_NE(face->role(), QAccessible::Client)
                << what << " " << face->text(QAccessible::Name).toStdString();
        }
        EXPECT_TRUE(face->state().focusable) << what;
    }

    for (QWidget* control : target->findChildren<QWidget*>()) {
        if (control->window() != target || !control->isVisible() || !control->isEnabled() ||
            !isControl(control))
            continue;
        EXPECT_TRUE(stops.contains(control) || reachedThroughItsGroup(control, stops))
            << control->metaObject()->className() << " \"" << control->accessibleName().toStdString()
            << "\" is not reached by Tab";
    }

    // Space presses a focused button, whatever draws it; a picker opens on Return as well.
    for (QWidget* stop : stops) {
        auto* button = qobject_cast<QAbstractButton*>(stop);
        if (button == nullptr || !button->isVisible()) continue;
        SCOPED_TRACE(button->accessibleName().toStdString());
        button->setFocus(Qt::TabFocusReason);
        QSignalSpy pressed(button, &QAbstractButton::pressed);
        QTest::keyPress(button, Qt::Key_Space);
        EXPECT_EQ(pressed.size(), 1) << button->metaObject()->className() << " ignores Space";
        // Let go without a click: the screen stays as it is for the next one.
        button->setDown(false);
        if (auto* dropdown = qobject_cast<Dropdown*>(button)) {
            QTest::keyClick(dropdown, Qt::Key_Return);
            EXPECT_TRUE(dropdown->isOpen())
                << "Return does not open " << dropdown->accessibleName().toStdString();
            dropdown->setOpen(false);
        }
    }
}

// No text on any screen, shown or read out, names the other platform or its services.
TEST_P(KeyboardReachTest, NoTextNamesTheOtherPlatform) {
    QWidget* target = open(GetParam());
    ASSERT_NE(target, nullptr);
    static const QRegularExpression otherPlatform(QStringLiteral(
        R"(\b(Mac|macOS|Macintosh|Finder|Spotlight|Quick Look|Full Disk Access|System Settings|Wired)\b)"));
    QWidgetList widgets = target->findChildren<QWidget*>();
    widgets.prepend(target);
    for (QWidget* widget : widgets) {
        if (!widget->isVisible()) continue;
        QStringList texts{widget->toolTip(), widget->whatsThis()};
        if (QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget))
            texts << face->text(QAccessible::Name) << face->text(QAccessible::Description);
        if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
        if (auto* field = qobject_cast<QLineEdit*>(widget)) texts << field->placeholderText();
        for (const QString& text : texts)
            EXPECT_FALSE(otherPlatform.match(text).hasMatch())
                << widget->metaObject()->className() << ": \"" << text.toStdString() << "\"";
    }
}

std::string placeName(const ::testing::TestParamInfo<Place>& info) { return info.param.name; }

// The settings sheet turned to one of its tabs.
Place::Open settingsTab(int index) {
    return [index](MainWindow& window) -> QWidget* {
        window.sheetDialog()->findChild<SettingsView*>()->tabs()->setCurrentIndex(index);
        return window.sheetDialog();
    };
}

QWidget* inspectorPopover(MainWindow& window) {
    TopBar* bar = window.rootView()->exploreLayout()->topBar();
    bar->inspectorToggle()->click();
    QCoreApplication::processEvents();
    return bar->inspectorPopover();
}

const std::vector<std::string> settings = {"--screen", "settings"};
const std::vector<std::string> developer = {"--screen", "explore", "--mode", "developer"};

std::vector<std::string> generalSection(const char* section) {
    return {"--mode", "general", "--folder", "HOME", "--section", section};
}

INSTANTIATE_TEST_SUITE_P(
    Screens, KeyboardReachTest,
    ::testing::Values(Place{"onboarding", {"--screen", "onboarding"}},  //
                      Place{"scanning", {"--screen", "scanning"}},
                      Place{"exploreDeveloper", developer},
                      Place{"exploreSmallScreen", developer, {1024, 700}},
                      Place{"cleaning", {"--screen", "cleaning"}},
                      Place{"finished", {"--screen", "finished"}},
                      Place{"review", {"--screen", "review"}},
                      Place{"history", {"--screen", "history"}},
                      Place{"settingsScanning", settings, {1440, 900}, settingsTab(0)},
                      Place{"settingsCleanup", settings, {1440, 900}, settingsTab(1)},
                      Place{"settingsAutomation", settings, {1440, 900}, settingsTab(2)},
                      Place{"settingsAbout", settings, {1440, 900}, settingsTab(3)},
                      Place{"generalExplore", generalSection("explore")},
                      Place{"generalSearch", generalSection("search")},
                      Place{"generalLargeFiles", generalSection("largeFiles")},
                      Place{"generalApps", generalSection("apps")},
                      Place{"generalStats", generalSection("stats")},
                      Place{"inspectorPopover", developer, {900, 700}, inspectorPopover}),
    placeName);

}  // namespace
}  // namespace korvane
