#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QVBoxLayout>

#include "app/kit/PaletteEnvironment.h"
#include "app/screens/EntryList.h"
#include "app/theme/AppFont.h"
#include "app/theme/Palette.h"
#include "tests/app/state/FlowFixture.h"

// Underscores sit below the baseline, at the very bottom of a font's
// descent: a line of text cut even one pixel short loses them, and
// "google_apis" reads "google apis".

namespace korvane {
namespace {

// Rows of `image` holding ink darker than a faint edge.
std::pair<int, int> inkedRows(const QImage& image) {
    int first = image.height(), last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                first = std::min(first, y);
                last = std::max(last, y);
            }
    return {first, last};
}

// Every font a theme draws text in, at the sizes the screens use: a line
// of AppFont::lineHeight holds all of the text's ink, and so does a label
// styled with the font at the height a layout gives it.
TEST(TextDescent, ALineHoldsItsFontsWholeHeightInEveryThemesFont) {
    const QString text = QStringLiteral("_gjpqy|\u0429");
    for (const ThemeID theme : allThemeIDs()) {
        for (const FontDesign design : {FontDesign::default_, Palette::forTheme(theme).fontDesign}) {
            for (const double size : {9.0, 9.5, 10.0, 11.0, 11.5, 12.0, 13.0, 15.0, 16.0, 20.0, 27.0}) {
                for (const QFont::Weight weight : {QFont::Normal, QFont::Medium, QFont::DemiBold}) {
                    const QFont font = AppFont::font(size, weight, design);
                    const int height = AppFont::lineHeight(font);
                    QImage image(400, height + 40, QImage::Format_ARGB32);
                    image.fill(Qt::white);
                    QPainter painter(&image);
                    painter.setFont(font);
                    painter.setPen(Qt::black);
                    painter.drawText(QRect(0, 20, 400, height),
                                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
                    painter.end();
                    const auto [first, last] = inkedRows(image);
                    EXPECT_GE(first, 20) << rawValue(theme) << " " << size << " " << weight;
                    EXPECT_LT(last, 20 + height) << rawValue(theme) << " " << size << " " << weight;

                    // A label styled with the font, at the height a layout gives it.
                    QWidget box;
                    auto* column = new QVBoxLayout(&box);
                    column->setContentsMargins(0, 0, 0, 0);
                    auto* label = new QLabel(text);
                    styleLabel(label, font, Qt::black);
                    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                    column->addWidget(label);
                    column->addStretch(1);
                    box.resize(500, 200);
                    column->activate();
                    const int given = label->height();
                    label->resize(label->width(), given + 20);
                    const auto [labelFirst, labelLast] = inkedRows(label->grab().toImage());
                    EXPECT_LT(labelLast, given)
                        << "label " << rawValue(theme) << " " << size << " " << weight;
                }
            }
        }
    }
}

class TextDescentInRows : public testing::FlowFixture {};

// A path in the large-files and search lists keeps its underscores in every
// theme: drawn with and without them, the rows differ.
TEST_F(TextDescentInRows, UnderscoresShowInListRows) {
    launch();
    const auto now = std::chrono::system_clock::now();
    for (const ThemeID theme : allThemeIDs()) {
        QImage rows[2];
        const std::string folders[] = {"/x/google_apis/x86_64", "/x/google apis/x86 64"};
        for (int i = 0; i < 2; ++i) {
            QWidget host;
            setEnvironmentPalette(&host, theme);
            host.resize(700, 120);
            EntryList list(state().developer(), state().desktop(), state().clock(), &host);
            list.resize(700, 120);
            list.setEntries(
                {FileTreeScanner::Entry::make("system.img", folders[i] + "/system.img", 1, now, false)});
            host.show();
            QCoreApplication::processEvents();
            rows[i] = list.view()->viewport()->grab().toImage();
        }
        EXPECT_NE(rows[0], rows[1]) << rawValue(theme);
    }
}

}  // namespace
}  // namespace korvane
