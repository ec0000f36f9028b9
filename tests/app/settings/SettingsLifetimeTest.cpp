#include <gtest/gtest.h>

#include <malloc.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QMetaMethod>
#include <QTabWidget>
#include <QTest>

#include "app/MainWindow.h"
#include "app/settings/ScanSettingsTab.h"
#include "app/settings/SettingsView.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

// QObject::receivers is protected; its member pointer, named through a
// subclass, may be called on any object.
struct ReceiverCount : QObject {
    using QObject::receivers;
};

// Every connection leaving the object, over all of its signals.
int outgoingConnections(const QObject& sender) {
    const QMetaObject* meta = sender.metaObject();
    int count = 0;
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Signal) continue;
        const QByteArray signal = QByteArray::number(QSIGNAL_CODE) + method.methodSignature();
        count += (sender.*(&ReceiverCount::receivers))(signal.constData());
    }
    return count;
}

// Connections to the state and every part of it.
int stateConnections(const AppState& state) {
    return outgoingConnections(state) + outgoingConnections(state.preferences()) +
           outgoingConnections(state.navigation()) + outgoingConnections(state.developer()) +
           outgoingConnections(state.folderScan()) + outgoingConnections(state.applications()) +
           outgoingConnections(state.liveStats());
}

// What lives as long as the program, counted: what an opening of a sheet
// leaves in it stays there for good.
struct LongLived {
    int stateConnections;
    int scheduleConnections;
    int windowConnections;
    qsizetype windowObjects;
    qsizetype applicationObjects;
    qsizetype widgets;

    bool operator==(const LongLived&) const = default;
};

void PrintTo(const LongLived& counts, std::ostream* out) {
    *out << "{state " << counts.stateConnections << ", schedule " << counts.scheduleConnections << ", window "
         << counts.windowConnections << ", objects under the window " << counts.windowObjects
         << ", under the application " << counts.applicationObjects << ", widgets " << counts.widgets << "}";
}

class SettingsLifetimeTest : public testing::FlowFixture {
protected:
    SettingsLifetimeTest() { AppMotion::setJumpToEnd(true); }
    ~SettingsLifetimeTest() override {
        window_.reset();
        AppMotion::setJumpToEnd(false);
    }

    MainWindow& open() {
        launch();
        window_ = std::make_unique<MainWindow>(state());
        window_->bringToFront();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }

    LongLived count() {
        settle();
        return {stateConnections(state()),
                outgoingConnections(state().automation()),
                outgoingConnections(*window_),
                window_->findChildren<QObject*>().size(),
                qApp->findChildren<QObject*>().size(),
                QApplication::allWidgets().size()};
    }

    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    enum class Look { firstTab, everyTab, everyTabAndItsAccessibleNames };

    // One opening as a user makes it: the shortcut, a look (each tab looked at
    // painted), then Escape.
    void openAndClose(Look look) {
        QApplication::setActiveWindow(window_.get());
        QTest::keySequence(window_.get(), QKeySequence(QStringLiteral("Ctrl+,")));
        settle();
        QDialog* dialog = window_->sheetDialog();
        ASSERT_NE(dialog, nullptr);
        auto* view = dialog->findChild<SettingsView*>();
        ASSERT_NE(view, nullptr);
        dialog->grab();
        for (int tab = 1; look != Look::firstTab && tab < view->tabs()->count(); ++tab) {
            view->tabs()->setCurrentIndex(tab);
            dialog->grab();
        }
        if (look == Look::everyTabAndItsAccessibleNames)
            for (QWidget* widget : dialog->findChildren<QWidget*>())
                if (QAccessibleInterface* item = QAccessible::queryAccessibleInterface(widget))
                    item->text(QAccessible::Name);
        QTest::keyClick(dialog, Qt::Key_Escape);
        settle();
        ASSERT_EQ(window_->sheetDialog(), nullptr);
    }

    std::unique_ptr<MainWindow> window_;
};

TEST_F(SettingsLifetimeTest, ClosingLeavesNoConnectionOrObjectBehind) {
    open();
    // Once for what the first opening sets up for good (fonts, the style's tables).
    openAndClose(Look::everyTab);
    const LongLived before = count();

    // Open, the sheet's tabs do listen to the state: the counts see them.
    state().navigation().setSheet(AppState::Sheet::settings);
    const LongLived shown = count();
    EXPECT_GT(shown.stateConnections, before.stateConnections);
    EXPECT_GT(shown.scheduleConnections, before.scheduleConnections);
    EXPECT_GT(shown.windowObjects, before.windowObjects);
    state().navigation().setSheet(std::nullopt);
    EXPECT_EQ(count(), before);

    for (const Look look : {Look::everyTab, Look::everyTabAndItsAccessibleNames}) {
        SCOPED_TRACE(look == Look::everyTab ? "every tab" : "every tab and its accessible names");
        for (int i = 0; i < 20; ++i) openAndClose(look);
        EXPECT_EQ(count(), before);
    }
}

TEST_F(SettingsLifetimeTest, EveryOpeningDrawsWithTheSamePictures) {
    // The style caches each icon picture it draws under that picture's own
    // key: pictures made afresh per opening would pile up there.
    launch();
    const auto pictures = [this] {
        SettingsView view(state());
        std::vector<qint64> keys;
        for (int tab = 0; tab < view.tabs()->count(); ++tab) keys.push_back(view.tabs()->tabIcon(tab).cacheKey());
        for (QCheckBox* toggle : view.scanTab()->categoryToggles()) keys.push_back(toggle->icon().cacheKey());
        return keys;
    };
    const std::vector<qint64> first = pictures();
    EXPECT_EQ(first.size(), 4U + 9U);
    EXPECT_EQ(pictures(), first);
}

TEST_F(SettingsLifetimeTest, OpeningAgainAndAgainLeavesNoPicturesBehind) {
    open();
    for (int i = 0; i < 10; ++i) openAndClose(Look::everyTab);
    malloc_trim(0);
    const std::size_t before = mallinfo2().uordblks;
    constexpr int rounds = 30;
    for (int i = 0; i < rounds; ++i) openAndClose(Look::everyTab);
    malloc_trim(0);
    const double grownKiB = (static_cast<double>(mallinfo2().uordblks) - static_cast<double>(before)) / 1024;
    // Kept, the faces the style drew for the controls of one opening's four
    // tabs weigh over 100 KiB. What stays below the bound is the cache's key
    // for each face, a few hundred bytes, which Qt 6.4 sweeps out only 30
    // seconds later.
    EXPECT_LT(grownKiB / rounds, 16.0) << grownKiB << " KiB after " << rounds << " openings";
}

}  // namespace
}  // namespace korvane
