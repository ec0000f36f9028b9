#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QVariantAnimation>
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "app/kit/DisposalPicker.h"
#include "app/kit/Dropdown.h"
#include "app/kit/DropdownRow.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/PickerLabel.h"
#include "app/kit/SymbolView.h"
#include "app/kit/ThemePicker.h"
#include "app/kit/PopupFrame.h"
#include "app/kit/TransformFade.h"
#include "app/theme/AppMotion.h"
#include "tests/app/fakes/FakeCompositor.h"

// The list's opening and closing, stepped along the quick spring.

namespace korvane {
namespace {

using Direction = DropdownGeometry::Direction;
using Alignment = DropdownGeometry::Alignment;

// Every running animation under `root` moved to `milliseconds` into its run.
void stepTo(QObject& root, double seconds) {
    for (auto* animation : root.findChildren<QVariantAnimation*>())
        if (animation->state() == QAbstractAnimation::Running)
            animation->setCurrentTime(static_cast<int>(seconds * 1000));
}

int running(QObject& root) {
    int count = 0;
    for (auto* animation : root.findChildren<QVariantAnimation*>())
        count += animation->state() == QAbstractAnimation::Running ? 1 : 0;
    return count;
}

TransformFade* bodyLook(QWidget* list) {
    return qobject_cast<TransformFade*>(qobject_cast<PopupFrame*>(list)->body()->graphicsEffect());
}

class DropdownMotionTest : public ::testing::Test {
protected:
    DropdownMotionTest() { AppMotion::setJumpToEnd(false); }
    ~DropdownMotionTest() override { AppMotion::setJumpToEnd(false); }

    Dropdown* dropdownIn(QWidget& window, Direction direction, Alignment alignment, double rowDrop) {
        window.resize(600, 600);
        auto* dropdown = new Dropdown(alignment, direction, 200, &window);
        dropdown->setLabel(new QLabel("Label"));
        dropdown->setContent([](const Dropdown::Close&) {
            return QList<QWidget*>{new DropdownRow(
                                       true, [] {}, new QLabel("first")),
                                   new DropdownRow(
                                       false, [] {}, new QLabel("second"))};
        });
        dropdown->setRowEntrance(rowDrop);
        dropdown->move(direction == Direction::down ? QPoint(300, 100) : QPoint(300, 500));
        window.show();
        dropdown->adjustSize();
        return dropdown;
    }
};

// The list grows from its anchor corner (a centred one from its leading
// edge), its rows dropping into place when asked, and shrinks away where it
// stood; with animations jumping to their end it opens and closes at once.
TEST_F(DropdownMotionTest, TheListGrowsFromItsAnchorCornerAndShrinksAwayWhereItStood) {
    struct Case {
        Direction direction;
        Alignment alignment;
        bool composited;
        double rowDrop;
    };
    const Motion spring = AppMotion::snappy;
    for (const Case c : {Case{Direction::down, Alignment::trailing, true, 0},
                         Case{Direction::up, Alignment::leading, true, 4},
                         Case{Direction::down, Alignment::center, false, 0}}) {
        SCOPED_TRACE(::testing::Message()
                     << (c.direction == Direction::down ? "down " : "up ") << static_cast<int>(c.alignment)
                     << (c.composited ? " composited" : " opaque"));
        const testing::FakeCompositor compositor(c.composited);
        QWidget window;
        Dropdown* dropdown = dropdownIn(window, c.direction, c.alignment, c.rowDrop);
        dropdown->setOpen(true);
        QWidget* list = dropdown->list();
        ASSERT_NE(list, nullptr);
        const QRectF card(qobject_cast<PopupFrame*>(list)->card());
        // The corner nearest the label on the aligned edge stays put as the list grows.
        const QPointF anchor(c.alignment == Alignment::trailing ? card.right() : card.left(),
                             c.direction == Direction::down ? card.top() : card.bottom());
        const double start = c.direction == Direction::down ? -6 : 6;
        const auto rows = list->findChildren<DropdownRow*>();
        // Where the window stands on the way, against its place at rest.
        std::vector<std::pair<QPoint, double>> places;
        for (const double seconds : {0.0, 0.05, 0.1, 0.16}) {
            stepTo(*dropdown, seconds);
            const double p = spring.progress(seconds);
            const DropdownGeometry::Look look = dropdown->shownLook();
            EXPECT_NEAR(look.scale, 0.94 + 0.06 * p, 1e-3) << seconds;
            EXPECT_NEAR(look.opacity, p, 1e-3) << seconds;
            EXPECT_NEAR(look.offset.y(), start * (1 - p), 1e-3) << seconds;
            const TransformFade* effect = bodyLook(list);
            ASSERT_NE(effect, nullptr);
            EXPECT_NEAR(effect->opacity(), std::clamp(p, 0.0, 1.0), 1e-3);
            EXPECT_NEAR(effect->transform().m11(), look.scale, 1e-3);
            // A see-through window draws the slide; an opaque one moves by it over a picture of what is
            // beneath.
            const QPointF drawnAnchor = effect->transform().map(anchor);
            if (c.composited) {
                EXPECT_NEAR(drawnAnchor.x(), anchor.x(), 1e-6);
                EXPECT_NEAR(drawnAnchor.y(), anchor.y() + look.offset.y(), 1e-3);
                places.emplace_back(list->pos(), 0.0);
            } else {
                EXPECT_NEAR((drawnAnchor - anchor).manhattanLength(), 0, 1e-6);
                places.emplace_back(list->pos(), look.offset.y());
            }
            for (DropdownRow* row : rows) {
                const auto* rowLook = qobject_cast<TransformFade*>(row->graphicsEffect());
                ASSERT_EQ(rowLook != nullptr, c.rowDrop > 0);
                if (!rowLook) continue;
                EXPECT_NEAR(rowLook->transform().dy(), -c.rowDrop * (1 - p), 1e-3);
                EXPECT_NEAR(rowLook->opacity(), std::clamp(p, 0.0, 1.0), 1e-3);
            }
        }
        stepTo(*dropdown, 1);
        for (const auto& [place, offset] : places)
            EXPECT_EQ(place, list->pos() + QPoint(0, int(std::lround(offset))));
        EXPECT_TRUE(bodyLook(list)->isAtRest()) << "at rest the list draws itself directly";
        EXPECT_FALSE(bodyLook(list)->isEnabled());
        for (DropdownRow* row : rows)
            EXPECT_TRUE(!row->graphicsEffect() || !row->graphicsEffect()->isEnabled());
        EXPECT_EQ(running(*dropdown), 0);

        // Closing: the list is gone at once, its picture shrinks to 97 % and fades.
        dropdown->setOpen(false);
        EXPECT_FALSE(dropdown->isOpen());
        QWidget* closing = dropdown->closingList();
        ASSERT_NE(closing, nullptr);
        EXPECT_TRUE(closing->isVisible());
        EXPECT_TRUE(closing->windowFlags().testFlag(Qt::WindowTransparentForInput));
        for (const double seconds : {0.05, 0.1}) {
            stepTo(*dropdown, seconds);
            const double p = spring.progress(seconds);
            EXPECT_NEAR(dropdown->shownLook().scale, 1 - 0.03 * p, 1e-3);
            EXPECT_NEAR(dropdown->shownLook().opacity, 1 - p, 1e-3);
            EXPECT_EQ(dropdown->shownLook().offset, QPointF());
        }
        stepTo(*dropdown, 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(dropdown->closingList(), nullptr) << "gone once arrived";
        EXPECT_EQ(running(*dropdown), 0);

        AppMotion::setJumpToEnd(true);
        dropdown->setOpen(true);
        ASSERT_NE(dropdown->list(), nullptr);
        EXPECT_TRUE(bodyLook(dropdown->list()) == nullptr || bodyLook(dropdown->list())->isAtRest());
        for (DropdownRow* row : dropdown->list()->findChildren<DropdownRow*>())
            EXPECT_TRUE(row->graphicsEffect() == nullptr || !row->graphicsEffect()->isEnabled());
        dropdown->setOpen(false);
        EXPECT_EQ(dropdown->closingList(), nullptr);
        EXPECT_EQ(running(*dropdown), 0);
        AppMotion::setJumpToEnd(false);
    }
}

// A picker's chevron turns to point up and its face fills with the hover
// colour on the quick spring as its list opens, and both go back as it
// closes; with animations jumping to their end they land at once.
TEST_F(DropdownMotionTest, APickersChevronAndFillMoveWithItsList) {
    struct Case {
        const char* what;
        std::function<QWidget*(QWidget&)> make;
        std::function<Dropdown*(QWidget*)> dropdown;
        std::function<PickerLabel*(QWidget*)> face;
    };
    const Case cases[] = {
        {"theme picker", [](QWidget& window) -> QWidget* { return new ThemePicker(&window); },
         [](QWidget* w) { return static_cast<ThemePicker*>(w)->dropdown(); },
         [](QWidget* w) { return static_cast<ThemePicker*>(w)->face(); }},
        {"disposal picker", [](QWidget& window) -> QWidget* { return new DisposalPicker({}, &window); },
         [](QWidget* w) { return static_cast<DisposalPicker*>(w)->dropdown(); },
         [](QWidget* w) { return static_cast<DisposalPicker*>(w)->face(); }},
    };
    const Motion spring = AppMotion::snappy;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget window;
        setEnvironmentPalette(&window, ThemeID::paper);
        window.resize(600, 600);
        QWidget* picker = c.make(window);
        picker->move(200, 300);
        window.show();
        Dropdown* dropdown = c.dropdown(picker);
        PickerLabel* face = c.face(picker);
        ASSERT_NE(face->chevron(), nullptr);
        // The fill, read where no part of the face's content stands.
        const QPoint probe(3, face->height() / 2);
        const QColor closed = face->grab().toImage().pixelColor(probe);

        dropdown->setOpen(true);
        std::vector<QColor> onTheWay;
        for (const double seconds : {0.0, 0.05, 0.1, 0.16}) {
            stepTo(window, seconds);
            const double p = spring.progress(seconds);
            EXPECT_NEAR(face->openness(), p, 1e-3) << seconds;
            EXPECT_NEAR(face->chevron()->rotation(), 180 * p, 0.2) << seconds;
            onTheWay.push_back(face->grab().toImage().pixelColor(probe));
        }
        stepTo(window, 1);
        EXPECT_DOUBLE_EQ(face->openness(), 1.0);
        EXPECT_DOUBLE_EQ(face->chevron()->rotation(), 180.0);
        EXPECT_EQ(running(window), 0);
        const QColor open = face->grab().toImage().pixelColor(probe);
        ASSERT_NE(open, closed) << "the open face shows no fill";
        for (std::size_t i = 0; i < onTheWay.size(); ++i) {
            const double p = std::clamp(spring.progress(std::array{0.0, 0.05, 0.1, 0.16}[i]), 0.0, 1.0);
            EXPECT_NEAR(onTheWay[i].red(), closed.red() + (open.red() - closed.red()) * p, 3) << i;
            EXPECT_NEAR(onTheWay[i].green(), closed.green() + (open.green() - closed.green()) * p, 3) << i;
        }

        dropdown->setOpen(false);
        stepTo(window, 0.05);
        EXPECT_NEAR(face->openness(), 1 - spring.progress(0.05), 1e-3);
        EXPECT_NEAR(face->chevron()->rotation(), 180 * (1 - spring.progress(0.05)), 0.2);
        stepTo(window, 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_DOUBLE_EQ(face->chevron()->rotation(), 0.0);
        EXPECT_EQ(running(window), 0);

        AppMotion::setJumpToEnd(true);
        dropdown->setOpen(true);
        EXPECT_DOUBLE_EQ(face->openness(), 1.0);
        EXPECT_DOUBLE_EQ(face->chevron()->rotation(), 180.0);
        dropdown->setOpen(false);
        EXPECT_DOUBLE_EQ(face->chevron()->rotation(), 0.0);
        EXPECT_EQ(running(window), 0);
        AppMotion::setJumpToEnd(false);
    }
}

}  // namespace
}  // namespace korvane
