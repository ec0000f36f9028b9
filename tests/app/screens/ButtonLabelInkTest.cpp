#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QVBoxLayout>
#include <cstdlib>
#include <functional>
#include <map>

#include "app/kit/DisposalPicker.h"
#include "app/kit/Dropdown.h"
#include "app/kit/PaletteEnvironment.h"
#include "app/kit/ThemePicker.h"
#include "app/presenters/OnboardingContent.h"
#include "app/screens/InspectorSections.h"
#include "app/screens/OnboardingView.h"
#include "app/theme/AppMotion.h"

// Labels inside buttons draw in their own inks, not in the button's text
// colour: each is measured on screen, in a light and two dark themes.

namespace korvane {
namespace {

int distance(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

// The colour the label's text is drawn in: of the label's pixels in a
// picture of `window`, the one that stands farthest from the ground (the
// most common colour there). Whole strokes of text are drawn in the ink.
QColor measuredInk(QWidget& window, const QLabel& label) {
    const QImage picture = window.grab().toImage();
    const QRect area(label.mapTo(&window, QPoint(0, 0)), label.size());
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ++counts[picture.pixel(x, y)];
    QRgb ground = 0;
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most) std::tie(ground, most) = std::tie(colour, count);
    QColor farthest = QColor(ground);
    for (const auto& [colour, count] : counts)
        if (distance(QColor(colour), QColor(ground)) > distance(farthest, QColor(ground))) farthest = QColor(colour);
    return farthest;
}

const QLabel* labelShowing(const QWidget& root, const QString& text) {
    for (const QLabel* label : root.findChildren<QLabel*>())
        if (label->text() == text && label->isVisible()) return label;
    return nullptr;
}

struct Case {
    const char* what;
    QColor (*ink)(const Palette&);
    // Builds the button inside `host` and gives the window that shows it and the text of the label to measure.
    std::function<std::pair<QWidget*, QString>(QWidget& host)> show;
};

QColor secondary(const Palette& p) { return p.inkSecondary; }
QColor tertiary(const Palette& p) { return p.inkTertiary; }

std::vector<Case> cases() {
    const OnboardingChoice& choice = onboardingContent().choices.front();
    const auto onboarding = [choice](QWidget& host) {
        auto* card = new ChoiceCard(choice, &host);
        card->resize(340, 240);
        return card;
    };
    return {
        {"onboarding card's description", secondary,
         [=](QWidget& host) { return std::pair<QWidget*, QString>(onboarding(host)->window(), QString::fromStdString(choice.description)); }},
        {"onboarding card's tag", tertiary,
         [=](QWidget& host) {
             return std::pair<QWidget*, QString>(onboarding(host)->window(), QString::fromStdString(choice.tags.front()));
         }},
        {"theme picker's row blurb", tertiary,
         [](QWidget& host) {
             auto* picker = new ThemePicker(&host);
             host.show();
             picker->dropdown()->setOpen(true);
             const QString blurb = QString::fromUtf8(Palette::forTheme(ThemeID::iron).blurb);
             return std::pair<QWidget*, QString>(picker->dropdown()->list(), blurb);
         }},
        {"disposal picker's row caption", tertiary,
         [](QWidget& host) {
             auto* picker = new DisposalPicker({}, &host);
             host.show();
             picker->dropdown()->setOpen(true);
             return std::pair<QWidget*, QString>(picker->dropdown()->list(),
                                                 QString::fromStdString(defaultDisposalOptions()[1].caption));
         }},
        {"largest inside's byte figure", secondary,
         [](QWidget& host) {
             LargestInsideRow row{"a", "DerivedData", "4.2 GB", CleanupCategory::xcode, 0.6};
             auto* view = new LargestInsideRowView(row, environmentPalette(&host), &host);
             view->resize(260, view->sizeHint().height());
             view->setFocusPolicy(Qt::NoFocus);  // its focus ring is not what is measured
             return std::pair<QWidget*, QString>(&host, QStringLiteral("4.2 GB"));
         }},
    };
}

TEST(ButtonLabelInk, EachLabelInAButtonDrawsInItsOwnInk) {
    AppMotion::setJumpToEnd(true);
    for (const ThemeID theme : {ThemeID::paper, ThemeID::graphite, ThemeID::terminal}) {
        const Palette& palette = Palette::forTheme(theme);
        for (const Case& c : cases()) {
            SCOPED_TRACE(::testing::Message() << c.what << " in " << palette.name);
            QWidget host;
            setEnvironmentPalette(&host, theme);
            host.resize(420, 320);
            const auto [window, text] = c.show(host);
            host.show();
            window->show();
            QApplication::processEvents();
            const QLabel* label = labelShowing(*window, text);
            ASSERT_NE(label, nullptr);
            const QColor ink = measuredInk(*window, *label);
            const QColor wanted = c.ink(palette);
            EXPECT_LE(distance(ink, wanted), 18) << ink.name().toStdString() << " for " << wanted.name().toStdString();
            // Nearer its own level than any other.
            for (const QColor& other : {palette.ink, palette.inkSecondary, palette.inkTertiary})
                if (other != wanted) {
                    EXPECT_LT(distance(ink, wanted), distance(ink, other)) << other.name().toStdString();
                }
        }
    }
    AppMotion::setJumpToEnd(false);
}

}  // namespace
}  // namespace korvane
