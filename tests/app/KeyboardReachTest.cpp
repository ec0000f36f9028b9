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
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "app/MainWindow.h"
#include "app/canvases/CanvasBase.h"
#include "app/canvases/CanvasDrawing.h"
#include "app/canvases/CanvasModeSwitcher.h"
#include "app/canvases/DeveloperCanvasPage.h"
#include "app/canvases/TableCanvas.h"
#include "app/frame/ExploreLayout.h"
#include "app/frame/GeneralSidebar.h"
#include "app/frame/RootView.h"
#include "app/frame/TopBar.h"
#include "app/kit/Dropdown.h"
#include "app/kit/FocusVisibility.h"
#include "app/kit/PillButton.h"
#include "app/kit/ShownToolTip.h"
#include "app/kit/KitButton.h"
#include "app/presenters/CanvasItemReading.h"
#include "app/presenters/OneLineText.h"
#include "app/screens/InspectorSections.h"
#include "app/screens/EntryList.h"
#include "app/screens/EntryListModel.h"
#include "app/screens/InspectorView.h"
#include "app/screens/SearchView.h"
#include "app/settings/SettingsView.h"
#include "app/state/DeveloperState.h"
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
    // The focus may wait on a part that is no stop (the explore window's layout): Tab leaves it.
    if (start == nullptr || start->window() != window || !(start->focusPolicy() & Qt::TabFocus)) {
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
        // The window of a place before goes before the state it reads does.
        window_.reset();
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

// Lets go of what a button does, so that pressing it changes nothing the walk goes on through.
void letGo(QAbstractButton& button) {
    QObject::disconnect(&button, &QAbstractButton::pressed, nullptr, nullptr);
    QObject::disconnect(&button, &QAbstractButton::released, nullptr, nullptr);
    QObject::disconnect(&button, &QAbstractButton::clicked, nullptr, nullptr);
    QObject::disconnect(&button, &QAbstractButton::toggled, nullptr, nullptr);
    if (button.group() != nullptr) button.group()->blockSignals(true);
}

// Return and the keypad's Enter press whatever button or row has the focus,
// as Space does, and only that: no default action of the window or its sheet
// runs instead. A picker opens on them (above).
TEST_P(KeyboardReachTest, ReturnAndEnterPressTheFocusedButtonOrRow) {
    QWidget* target = open(GetParam());
    ASSERT_NE(target, nullptr);
    const QWidgetList stops = tabStops(target);
    const auto sheet = state().navigation().sheet();
    QWidget* popup = QApplication::activePopupWidget();
    int buttons = 0;
    for (QWidget* stop : stops) {
        auto* button = qobject_cast<QAbstractButton*>(stop);
        if (button == nullptr || !button->isVisible() || qobject_cast<Dropdown*>(button)) continue;
        SCOPED_TRACE(std::string(button->metaObject()->className()) + " \"" +
                     button->accessibleName().toStdString() + "\" " + button->text().toStdString());
        ++buttons;
        letGo(*button);
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Return, Qt::KeyboardModifiers()},
              std::pair{Qt::Key_Enter, Qt::KeyboardModifiers(Qt::KeypadModifier)}}) {
            button->setFocus(Qt::TabFocusReason);
            QTest::keyClick(button, key, modifiers);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(clicked.size(), 2) << "Return or Enter does not press it";
        EXPECT_EQ(state().navigation().sheet(), sheet) << "Return went to the default action";
        EXPECT_EQ(QApplication::activePopupWidget(), popup);
    }
    EXPECT_GT(buttons, 0);
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
        QStringList texts{widget->toolTip(), shownToolTip(*widget), widget->whatsThis()};
        if (QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget))
            texts << face->text(QAccessible::Name) << face->text(QAccessible::Description);
        if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
        if (auto* field = qobject_cast<QLineEdit*>(widget)) texts << field->placeholderText();
        for (const QString& text : texts)
            EXPECT_FALSE(otherPlatform.match(text).hasMatch())
                << widget->metaObject()->className() << ": \"" << text.toStdString() << "\"";
    }
}

// Through the accessible tree, so an open list and a canvas's items count too.
TEST_P(KeyboardReachTest, EveryAccessibleTextIsPlainAndEveryDescriptionAddsToTheName) {
    QWidget* target = open(GetParam());
    ASSERT_NE(target, nullptr);
    static const QRegularExpression markup(QStringLiteral("<[A-Za-z/!][^>]*>"));
    std::vector<QAccessibleInterface*> walk{QAccessible::queryAccessibleInterface(target)};
    for (std::size_t seen = 0; !walk.empty() && seen < 20000; ++seen) {
        QAccessibleInterface* face = walk.back();
        walk.pop_back();
        if (face == nullptr || !face->isValid()) continue;
        const QString name = face->text(QAccessible::Name), description = face->text(QAccessible::Description);
        const std::string what = (face->object() ? face->object()->metaObject()->className() : "item") +
                                 (": " + name + " / " + description).toStdString();
        EXPECT_FALSE(markup.match(name).hasMatch() || markup.match(description).hasMatch()) << what;
        EXPECT_TRUE(description.trimmed().isEmpty() || description.trimmed() != name.trimmed()) << what;
        for (int child = face->childCount(); child-- > 0;) walk.push_back(face->child(child));
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

// The page's file list with its first row ticked, so that its action bar and "Remove" show.
QWidget* firstFileTicked(MainWindow& window) {
    for (EntryList* list : window.findChildren<EntryList*>())
        if (list->isVisible() && list->model()->rowCount() > 0) list->model()->toggle(0);
    return &window;
}

// A search that finds the large file, with it ticked.
QWidget* searchedAndTicked(MainWindow& window) {
    window.findChild<SearchView*>()->findChild<QLineEdit*>()->setText(QStringLiteral("holiday"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(testing::waitUntil(
        [&] { return window.findChild<SearchView*>()->list()->model()->rowCount() > 0; }, 5));
    return firstFileTicked(window);
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

// Which part of the explore window a stop lies in: 0 the sidebar, 1 the
// page, 2 the inspector, 3 the top bar; -1 elsewhere.
int partOf(ExploreLayout& layout, const QWidget* stop) {
    const QWidget* parts[] = {layout.sidebar(), layout.canvasPage(), layout.inspectorColumn(), layout.topBar()};
    for (int part = 0; part < 4; ++part)
        if (parts[part]->isAncestorOf(stop)) return part;
    return -1;
}

// Tab goes through the explore window as it is read, whichever part was made
// last: the sidebar, the page, the inspector, then the top bar.
class ExploreTabOrderTest : public KeyboardReachTest {};

TEST_P(ExploreTabOrderTest, TabFollowsTheLayout) {
    QWidget* target = open(GetParam());
    ASSERT_NE(target, nullptr);
    ExploreLayout& layout = *window_->rootView()->exploreLayout();
    QWidgetList stops = tabStops(target);
    const auto first = std::find_if(stops.begin(), stops.end(),
                                    [&](const QWidget* stop) { return partOf(layout, stop) == 0; });
    ASSERT_NE(first, stops.end()) << "Tab reaches no sidebar control";
    std::rotate(stops.begin(), first, stops.end());
    std::vector<int> parts;
    for (const QWidget* stop : stops) parts.push_back(partOf(layout, stop));
    EXPECT_TRUE(std::is_sorted(parts.begin(), parts.end()))
        << ::testing::PrintToString(parts) << " (sidebar 0, page 1, inspector 2, top bar 3)";
    EXPECT_NE(std::find(parts.begin(), parts.end(), 1), parts.end()) << "Tab reaches nothing on the page";
    EXPECT_NE(std::find(parts.begin(), parts.end(), 3), parts.end()) << "Tab reaches nothing in the top bar";
}

// Where a widget lies in its window as laid out: a scrolled column counts from its top.
QRect laidOut(const QWidget* widget) {
    QRect at(widget->mapTo(widget->window(), QPoint()), widget->size());
    for (const QWidget* outer = widget->parentWidget(); outer != nullptr; outer = outer->parentWidget())
        if (auto* scroll = qobject_cast<const QAbstractScrollArea*>(outer))
            at.translate(scroll->horizontalScrollBar()->value(), scroll->verticalScrollBar()->value());
    return at;
}

// Whether `a` comes before `b` as the page reads: side by side (their heights
// overlap) left to right, else top to bottom.
bool readsBefore(const QWidget* a, const QWidget* b) {
    const QRect first = laidOut(a), second = laidOut(b);
    const int overlap = std::min(first.bottom(), second.bottom()) - std::max(first.top(), second.top());
    return overlap > 1 ? first.left() < second.left() : first.top() < second.top();
}

// Tab goes through every settings tab as it reads, also past the lists of
// folders filled in after the page was made.
TEST_F(KeyboardReachTest, TabFollowsTheLayoutOfEverySettingsTab) {
    QWidget* sheet = open(Place{"settings", settings, {720, 560}});
    ASSERT_NE(sheet, nullptr);
    for (const char* folder : {"Projects", "Work", "Downloads"}) {
        std::filesystem::create_directories(at(folder));
        state().preferences().addExclusion(at(std::string(folder) + "/keep"));
    }
    ASSERT_FALSE(state().preferences().addProjectRoot(at("Projects")));
    ASSERT_FALSE(state().preferences().addProjectRoot(at("Work")));
    QCoreApplication::processEvents();
    QTabWidget* tabs = sheet->findChild<SettingsView*>()->tabs();
    for (int tab = 0; tab < tabs->count(); ++tab) {
        SCOPED_TRACE(tabs->tabText(tab).toStdString());
        tabs->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        QWidgetList stops = tabStops(sheet);
        ASSERT_FALSE(stops.isEmpty());
        std::rotate(stops.begin(), std::min_element(stops.begin(), stops.end(), readsBefore), stops.end());
        for (qsizetype i = 1; i < stops.size(); ++i)
            EXPECT_FALSE(readsBefore(stops[i], stops[i - 1]))
                << "Tab goes from " << stops[i - 1]->metaObject()->className() << " \""
                << stops[i - 1]->accessibleName().toStdString() << "\" up to "
                << stops[i]->metaObject()->className() << " \"" << stops[i]->accessibleName().toStdString()
                << "\"";
    }
}

// In a small window; the page's focus ring ran along the window's edge.
TEST_F(KeyboardReachTest, NoStopOfSettingsOrOfTheCardIsTheirScrollingPage) {
    for (const Place& place : {Place{"settings", settings, {720, 560}, settingsTab(0)},
                               Place{"finished", {"--screen", "finished"}, {720, 560}}})
        for (QWidget* stop : tabStops(open(place))) EXPECT_FALSE(qobject_cast<QAbstractScrollArea*>(stop)) << place.name;
}

// The sidebar is no Tab stop of its own, only its controls are: Tab brings
// each into view, and the last one the readings below it (nothing the
// keyboard could reach would show them).
TEST_F(KeyboardReachTest, TheSidebarIsNoStopOfItsOwnAndItsLastStopShowsItsEnd) {
    for (const Place& place : {Place{"general", generalSection("largeFiles"), {720, 560}},
                               Place{"developer", developer, {720, 560}}}) {
        SCOPED_TRACE(place.name);
        open(place);
        QWidget* sidebar = window_->rootView()->exploreLayout()->sidebar();
        auto* column = qobject_cast<QScrollArea*>(sidebar) ? qobject_cast<QScrollArea*>(sidebar)
                                                           : sidebar->findChild<QScrollArea*>();
        ASSERT_NE(column, nullptr);
        QScrollBar* bar = column->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0) << "the sidebar fits: nothing to try";
        const QWidgetList stops = tabStops(window_.get());
        EXPECT_FALSE(stops.contains(column)) << "the sidebar is a stop of its own";
        QWidgetList inside;
        for (QWidget* stop : stops)
            if (sidebar->isAncestorOf(stop)) inside.append(stop);
        ASSERT_GE(inside.size(), 2);
        inside[inside.size() - 2]->setFocus(Qt::TabFocusReason);
        bar->setValue(0);
        QTest::keyClick(inside[inside.size() - 2], Qt::Key_Tab);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), inside.back());
        EXPECT_EQ(bar->value(), bar->maximum()) << "the end of the sidebar stays out of sight";
        QTest::keyClick(inside.back(), Qt::Key_Tab, Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCoreApplication::processEvents();
        EXPECT_FALSE(shownPart(QApplication::focusWidget()).isEmpty());
        window_.reset();
    }
}

// The inspector's actions from the keyboard: the cleanup button is a stop,
// the "Largest inside" rows answer Return and Space, and the keyboard stays
// in the inspector while it shows the child it went to.
TEST_F(KeyboardReachTest, TheInspectorsActionsWorkFromTheKeyboardAndKeepTheFocus) {
    open(Place{"developer", {"--screen", "explore", "--mode", "developer"}});
    const StorageNode& category = state().developer().tree().children.front();
    ASSERT_FALSE(category.isLeaf());
    ASSERT_GT(category.reclaimable, 0);
    state().navigation().setSelectedID(category.id);
    QCoreApplication::processEvents();
    auto* inspector = qobject_cast<InspectorView*>(window_->rootView()->exploreLayout()->inspector());
    ASSERT_NE(inspector, nullptr);
    const QWidgetList stops = tabStops(window_.get());
    KitButton* cleanup = inspector->cleanupButton();
    EXPECT_TRUE(stops.contains(cleanup)) << "Tab does not reach \"Add to cleanup\"";

    const bool wasSelected = state().developer().isSelected(category);
    cleanup->setFocus(Qt::TabFocusReason);
    QTest::keyClick(cleanup, Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_NE(state().developer().isSelected(category), wasSelected);
    EXPECT_EQ(cleanup->title(), wasSelected ? "Add to cleanup" : "Remove from cleanup");
    EXPECT_EQ(QApplication::focusWidget(), cleanup);
    QTest::keyClick(cleanup, Qt::Key_Space);
    EXPECT_EQ(state().developer().isSelected(category), wasSelected);

    // Return and Space on a row show its child; the keyboard stays on the rows.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        const auto rows = inspector->findChildren<LargestInsideRowView*>();
        ASSERT_FALSE(rows.isEmpty());
        LargestInsideRowView* row = rows.front();
        ASSERT_TRUE(stops.contains(row) || key == Qt::Key_Space);
        const std::string child = row->nodeID();
        row->setFocus(Qt::TabFocusReason);
        QTest::keyClick(row, key);
        QCoreApplication::processEvents();
        EXPECT_EQ(state().navigation().selectedID(), child);
        EXPECT_EQ(window_->sheetDialog(), nullptr) << "Return went to the review button";
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        // A child no action applies to (what a toolchain counts but offers
        // not) leaves the keyboard nothing here: it goes to the canvas.
        const auto buttons = inspector->findChildren<QAbstractButton*>();
        if (std::none_of(buttons.begin(), buttons.end(),
                         [](QAbstractButton* b) { return b->isEnabled() && b->isVisible(); })) {
            EXPECT_TRUE(qobject_cast<CanvasBase*>(focused)) << focused->metaObject()->className();
            break;
        }
        EXPECT_TRUE(inspector->isAncestorOf(focused))
            << "the focus went to " << focused->metaObject()->className() << " \""
            << focused->accessibleName().toStdString() << "\"";
        EXPECT_TRUE(qobject_cast<LargestInsideRowView*>(focused) ||
                    inspector->findChildren<LargestInsideRowView*>().isEmpty());
        if (inspector->findChildren<LargestInsideRowView*>().isEmpty()) break;
    }
}

// Return on a focused button of the developer explorer presses that button,
// as Space does; only elsewhere is it the page's way to the review.
TEST_F(KeyboardReachTest, ReturnOnAFocusedDeveloperButtonPressesItRatherThanOpeningTheReview) {
    open(Place{"developer", {"--screen", "explore", "--mode", "developer"}});
    state().developer().selectAllSafe();
    QCoreApplication::processEvents();
    ASSERT_FALSE(state().developer().selection().empty());
    ExploreLayout* layout = window_->rootView()->exploreLayout();
    const auto named = [](QWidget* part, const QString& title) -> QAbstractButton* {
        for (QAbstractButton* button : part->findChildren<QAbstractButton*>())
            if (button->isVisible() && button->isEnabled() &&
                (button->accessibleName().isEmpty() ? button->text() : button->accessibleName())
                    .startsWith(title))
                return button;
        return nullptr;
    };
    const struct {
        const char* part;
        QWidget* holder;
        QString title;
    } cases[] = {
        {"sidebar toolchain row", layout->sidebar(),
         QString::fromStdString(state().developer().tree().children.front().name)},
        {"footer Clear", layout->canvasPage(), QStringLiteral("Clear")},
        {"footer Select safe", layout->canvasPage(), QStringLiteral("Select safe")},
        {"canvas switcher pill", layout->canvasPage(), QStringLiteral("Age Map")},
        {"Include protected", layout->canvasPage(), QStringLiteral("Include protected")},
        {"top bar pill", window_->rootView(), QStringLiteral("History")},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.part);
        QAbstractButton* button = named(each.holder, each.title);
        ASSERT_NE(button, nullptr) << "no button named " << each.title.toStdString();
        QSignalSpy pressed(button, &QAbstractButton::clicked);
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_NE(state().navigation().sheet(), std::optional(Sheet::review))
            << "Return went to the review button";
        EXPECT_EQ(pressed.count(), 1) << "Return did not press the focused button";
        state().navigation().setSheet(std::nullopt);
        QCoreApplication::processEvents();
    }
}

// A click leaves the focus where it was, so Return opens the review and
// presses nothing again; an unnamed part passes nothing on; a new screen focuses a named control.
TEST_F(KeyboardReachTest, TheFocusStaysOnAShownNamedControlFromWhichReturnOpensTheReview) {
    open(Place{"developer", developer});
    for (const QString& title : {QStringLiteral("Select safe"), QStringLiteral("Add to cleanup")}) {
        QAbstractButton* button = nullptr;
        for (QAbstractButton* each : window_->findChildren<QAbstractButton*>())
            if (button == nullptr && each->isVisible() && each->text() == title) button = each;
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        const auto picked = state().developer().selection();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(state().navigation().sheet(), std::optional(Sheet::review)) << title.toStdString();
        EXPECT_EQ(state().developer().selection(), picked) << title.toStdString();
        state().navigation().setSheet(std::nullopt);
    }
    state().developer().selectAllSafe();
    window_->rootView()->exploreLayout()->setFocus();
    QTest::keyClick(window_->rootView()->exploreLayout(), Qt::Key_Return);
    EXPECT_EQ(state().navigation().sheet(), std::nullopt);
    for (const Route route : {Route::finished, Route::scanning, Route::explore}) {
        state().navigation().setRoute(route);
        QWidget* focused = QApplication::focusWidget();
        ASSERT_TRUE(focused && focused->isVisible() && window_->rootView()->screen()->isAncestorOf(focused))
            << static_cast<int>(route);
        EXPECT_FALSE(QAccessible::queryAccessibleInterface(focused)->text(QAccessible::Name).isEmpty());
    }
}

// In general mode a folder scan's node leaves through its page's own Remove:
// the inspector offers no "Add to cleanup" that could never be pressed.
TEST_F(KeyboardReachTest, TheGeneralInspectorOffersNoCleanupButton) {
    open(Place{"generalExplore", generalSection("explore")});
    state().navigation().setSelectedID(at("Movies"));
    QCoreApplication::processEvents();
    auto* inspector = qobject_cast<InspectorView*>(window_->rootView()->exploreLayout()->inspector());
    ASSERT_NE(inspector, nullptr);
    ASSERT_TRUE(inspector->content());
    EXPECT_FALSE(inspector->cleanupButton()->isVisibleTo(window_.get()));
}

// A ring marks where the keyboard is: none after a click, even on the
// control that takes the focus when the clicked one goes; the next key shows it.
TEST_F(KeyboardReachTest, AFocusRingShowsForTheKeyboardOnly) {
    FocusVisibility::watchInput();
    open(Place{"generalExplore", generalSection("explore")});
    auto* sidebar = qobject_cast<GeneralSidebar*>(window_->rootView()->exploreLayout()->sidebar());
    ASSERT_NE(sidebar, nullptr);
    for (const std::size_t row : {std::size_t{2}, std::size_t{0}}) {
        QWidget* page = sidebar->pageRows().at(row);
        QTest::mouseClick(page, Qt::LeftButton, {}, page->rect().center());
        QTest::qWait(30);
        QWidget* focused = QApplication::focusWidget();
        if (focused == nullptr) continue;
        EXPECT_FALSE(FocusVisibility::shows(*focused));
        const QRect around = shownPart(focused).adjusted(-8, -8, 8, 8) & window_->rect();
        const QImage withFocus = window_->grab(around).toImage();
        focused->clearFocus();
        QCoreApplication::processEvents();
        EXPECT_EQ(window_->grab(around).toImage(), withFocus)
            << focused->metaObject()->className() << " \"" << focused->accessibleName().toStdString()
            << "\" shows a ring after a click";
        focused->setFocus(Qt::OtherFocusReason);
    }
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window_.get(), Qt::Key_Tab);
    QCoreApplication::processEvents();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(FocusVisibility::shows(*QApplication::focusWidget()));
    FocusVisibility::stopWatching();
    FocusVisibility::instance().setShowsRings(true);
}

// What the keys do on one canvas, over the demonstration scan.
struct CanvasKeys {
    CanvasMode mode;
    // What Return does on an item with children: drill into it, open its row, or nothing.
    enum class Return { drills, opensRow, nothing } onReturn;
    bool offersMenu = true;
};

void PrintTo(const CanvasKeys& keys, std::ostream* out) { *out << rawValue(keys.mode); }

class CanvasKeyboardTest : public testing::FlowFixture, public ::testing::WithParamInterface<CanvasKeys> {
protected:
    CanvasKeyboardTest() { AppMotion::setJumpToEnd(true); }
    ~CanvasKeyboardTest() override {
        window_.reset();
        AppMotion::setJumpToEnd(false);
    }

    void SetUp() override {
        launch({"--screen", "explore", "--mode", "developer", "--canvas", std::string(rawValue(GetParam().mode))});
        window_ = std::make_unique<MainWindow>(state());
        window_->resize(1440, 900);
        window_->bringToFront();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QApplication::setActiveWindow(window_.get());
        QCoreApplication::processEvents();
    }

    ExploreLayout& layout() { return *window_->rootView()->exploreLayout(); }
    CanvasBase* canvas() {
        auto* page = qobject_cast<DeveloperCanvasPage*>(layout().canvasPage());
        return page ? page->drawing()->canvas() : nullptr;
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        QCoreApplication::processEvents();
    }
    // The node the keyboard is on, when it is on an item.
    const StorageNode* targetNode() {
        const auto target = canvas()->keyboardTarget();
        return target && target->zone == CanvasHit::item ? canvas()->itemNode(target->index) : nullptr;
    }
    // Moves with the arrows until the keyboard is on an item below the root
    // (with children, when asked); false when none is reached.
    bool arriveOnItem(bool withChildren) {
        // Right opens a table's row: the rows are walked downwards first.
        for (const Qt::Key key : {Qt::Key_Home, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Right,
                                  Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}) {
            press(key);
            const StorageNode* node = targetNode();
            if (node && node != canvas()->root() && (!withChildren || !node->isLeaf())) return true;
        }
        return false;
    }

    std::unique_ptr<MainWindow> window_;
};

TEST_P(CanvasKeyboardTest, TheCanvasIsOneTabStopBetweenItsToolbarAndItsFooter) {
    // The walk starts from the window, not from the canvas the window opens on.
    QApplication::focusWidget()->clearFocus();
    const QWidgetList stops = tabStops(window_.get());
    CanvasBase* shown = canvas();
    ASSERT_NE(shown, nullptr);
    const auto* page = qobject_cast<DeveloperCanvasPage*>(layout().canvasPage());
    const qsizetype at = stops.indexOf(shown);
    ASSERT_GE(at, 0) << "Tab does not reach the canvas";
    EXPECT_LT(stops.indexOf(static_cast<QWidget*>(page->findChild<CanvasModeSwitcher*>()->button(GetParam().mode))), at);
    EXPECT_GT(stops.indexOf(static_cast<QWidget*>(page->reviewButton())), at);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(shown)->role(), QAccessible::Canvas);
    // The canvas shows that it has the keyboard, in a light and a dark theme.
    for (const ThemeID theme : {ThemeID::paper, ThemeID::graphite}) {
        state().preferences().setThemeID(theme);
        QCoreApplication::processEvents();
        EXPECT_GE(focusChange(shown), visibleFocus) << rawValue(theme);
    }
    // A canvas made in its place keeps the keyboard there.
    shown->setFocus(Qt::TabFocusReason);
    const CanvasMode other = GetParam().mode == CanvasMode::table ? CanvasMode::strata : CanvasMode::table;
    state().navigation().setCanvasMode(other);
    QCoreApplication::processEvents();
    ASSERT_NE(canvas(), nullptr);
    EXPECT_EQ(canvas()->mode(), other);
    EXPECT_TRUE(canvas()->hasFocus());
}

TEST_P(CanvasKeyboardTest, ArrowsSelectReturnOpensBackspaceGoesUpAndTheMenuKeyOpensTheMenu) {
    const CanvasKeys& keys = GetParam();
    CanvasBase* shown = canvas();
    ASSERT_NE(shown, nullptr);
    shown->setFocus(Qt::TabFocusReason);
    const QImage before = shown->grab().toImage();

    // The arrows select what they reach, as a click would, and the canvas draws it so.
    ASSERT_TRUE(arriveOnItem(keys.onReturn != CanvasKeys::Return::nothing)) << "the arrows reach no item";
    const StorageNode* first = targetNode();
    EXPECT_EQ(state().navigation().selectedID(), first->id);
    EXPECT_NE(shown->grab().toImage(), before) << "the selection is not drawn";
    const std::string firstID = first->id;
    // Where there is more than one item, the arrows move on from the first.
    press(Qt::Key_End);
    const auto last = shown->keyboardTarget();
    press(Qt::Key_Home);
    if (last != shown->keyboardTarget()) {
        bool moved = false;
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left}) {
            press(key);
            moved = state().navigation().selectedID() != firstID;
            if (moved) break;
        }
        EXPECT_TRUE(moved) << "no arrow moves on from the first item";
    }
    ASSERT_TRUE(arriveOnItem(keys.onReturn != CanvasKeys::Return::nothing));
    const std::string chosen = targetNode()->id;
    EXPECT_TRUE(shown->hasFocus());

    // Return opens or drills as a double click does; Backspace goes back up.
    const auto focusedBefore = state().navigation().focusedID();
    press(Qt::Key_Return);
    EXPECT_EQ(window_->sheetDialog(), nullptr) << "Return went to the review button";
    switch (keys.onReturn) {
        case CanvasKeys::Return::drills: {
            EXPECT_EQ(state().navigation().focusedID(), chosen);
            press(Qt::Key_Backspace);
            EXPECT_EQ(state().navigation().focusedID(), focusedBefore);
            // The keyboard is back on the folder just left, and the arrows go on from there.
            const StorageNode* back = targetNode();
            ASSERT_NE(back, nullptr) << "the keyboard starts over";
            EXPECT_EQ(back->id, chosen);
            EXPECT_EQ(state().navigation().selectedID(), chosen);
            press(Qt::Key_Return);
            EXPECT_EQ(state().navigation().focusedID(), chosen) << "Return goes back in";
            press(Qt::Key_Backspace);
            break;
        }
        case CanvasKeys::Return::opensRow: {
            const auto& opened = static_cast<TableCanvas*>(canvas())->expanded();
            EXPECT_TRUE(opened.contains(chosen));
            press(Qt::Key_Left);
            EXPECT_FALSE(opened.contains(chosen)) << "Left closes the row";
            break;
        }
        case CanvasKeys::Return::nothing:
            EXPECT_EQ(state().navigation().focusedID(), focusedBefore);
            break;
    }

    // The menu key, and Shift+F10, open the node's menu where the canvas has one.
    ASSERT_NE(canvas(), nullptr);
    canvas()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(arriveOnItem(false));
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
                                         std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
        press(key, modifiers);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        EXPECT_EQ(menu != nullptr, keys.offersMenu);
        if (!menu) continue;
        EXPECT_FALSE(menu->actions().isEmpty());
        QTest::keyClick(menu, Qt::Key_Escape);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
}

// Named by its name and size (in the table, by its columns), as a screen reader hears it.
TEST_P(CanvasKeyboardTest, TheItemTheArrowsReachIsTheCanvasesFocusedChild) {
    CanvasBase* shown = canvas();
    ASSERT_NE(shown, nullptr);
    shown->setFocus(Qt::TabFocusReason);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(shown);
    ASSERT_TRUE(arriveOnItem(false));  // an item the arrows reach, then the last one
    for (const bool again : {false, true}) {
        if (again) press(Qt::Key_End);
        if (targetNode() == nullptr) continue;
        const StorageNode& node = *targetNode();
        QAccessibleInterface* item = face->focusChild();
        ASSERT_NE(item, nullptr) << "no item has the focus";
        const std::string heard = item->text(QAccessible::Name).toStdString();
        EXPECT_TRUE(heard.starts_with(oneLineText(node.name) + ", ")) << heard;
        EXPECT_TRUE(GetParam().mode != CanvasMode::table || heard == tableRowReading(node).name) << heard;
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_TRUE(item->state().focused);
        EXPECT_EQ(item->state().selected, state().navigation().selectedID() == node.id);
        EXPECT_EQ(item->parent(), face);
        EXPECT_EQ(face->child(face->indexOfChild(item)), item);
        EXPECT_TRUE(face->rect().contains(item->rect().center()));
    }
    if (GetParam().mode != CanvasMode::strata) return;
    // The first stop is a band's header, read by its band and size.
    press(Qt::Key_Home);
    const QString band = face->focusChild() ? face->focusChild()->text(QAccessible::Name) : QString();
    EXPECT_TRUE(band.contains(QRegularExpression(", [0-9.]+ [KMGT]?B$"))) << band.toStdString();
}

std::string canvasName(const ::testing::TestParamInfo<CanvasKeys>& info) {
    return std::string(rawValue(info.param.mode));
}

using Return = CanvasKeys::Return;
INSTANTIATE_TEST_SUITE_P(Canvases, CanvasKeyboardTest,
                         ::testing::Values(CanvasKeys{CanvasMode::strata, Return::nothing},
                                           CanvasKeys{CanvasMode::ageMap, Return::nothing},
                                           CanvasKeys{CanvasMode::treemap, Return::drills},
                                           CanvasKeys{CanvasMode::folders, Return::drills},
                                           CanvasKeys{CanvasMode::bubbles, Return::drills},
                                           CanvasKeys{CanvasMode::flame, Return::drills},
                                           CanvasKeys{CanvasMode::mindMap, Return::drills},
                                           CanvasKeys{CanvasMode::sunburst, Return::drills},
                                           CanvasKeys{CanvasMode::bars, Return::drills, false},
                                           CanvasKeys{CanvasMode::table, Return::opensRow}),
                         canvasName);

INSTANTIATE_TEST_SUITE_P(
    Screens, KeyboardReachTest,
    ::testing::Values(Place{"onboarding", {"--screen", "onboarding"}},  //
                      Place{"scanning", {"--screen", "scanning"}},
                      Place{"exploreDeveloper", developer},
                      Place{"exploreSmallScreen", developer, {1024, 700}},
                      // The canvas with controls of its own: zoom buttons and the depth slider.
                      Place{"exploreMindMap",
                            {"--screen", "explore", "--mode", "developer", "--canvas", "mindMap"}},
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
                      Place{"generalLargeFilesTicked", generalSection("largeFiles"), {1440, 900},
                            firstFileTicked},
                      Place{"generalSearchTicked", generalSection("search"), {1440, 900}, searchedAndTicked},
                      Place{"generalApps", generalSection("apps")},
                      Place{"generalStats", generalSection("stats")},
                      Place{"inspectorPopover", developer, {900, 700}, inspectorPopover}),
    placeName);

INSTANTIATE_TEST_SUITE_P(Explore, ExploreTabOrderTest,
                         ::testing::Values(Place{"developer", developer},
                                           Place{"generalExplore", generalSection("explore")},
                                           Place{"generalSearch", generalSection("search")},
                                           Place{"generalApps", generalSection("apps")}),
                         placeName);

}  // namespace
}  // namespace korvane
