#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/kit/ScrollFocus.h"

namespace korvane {
namespace {

// A page is a Tab stop only while it has something to scroll to; losing that
// while focused, it hands the focus on to the next stop.
TEST(ScrollFocus, APageIsATabStopOnlyWhileItScrolls) {
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* page = new QScrollArea;
    auto* content = new QWidget;
    content->setFixedSize(100, 100);
    page->setWidget(content);
    column->addWidget(page);
    auto* after = new QPushButton(QStringLiteral("After"));
    column->addWidget(after);
    followScrollFocus(*page);
    window.resize(300, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
    EXPECT_EQ(page->focusPolicy(), Qt::NoFocus);

    content->setFixedSize(100, 2000);
    QApplication::processEvents();
    EXPECT_EQ(page->focusPolicy(), Qt::TabFocus);
    page->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(page->hasFocus());

    content->setFixedSize(100, 50);
    QApplication::processEvents();
    EXPECT_EQ(page->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(after->hasFocus());
}

// A page destroyed while it holds the focus gives the focus up on its way
// out, when only its QWidget part is left: its ring must not look for the
// page's viewport then. The sanitizer build of the tests catches that.
TEST(ScrollFocus, APageDestroyedWithTheFocusTakesItsRingAlong) {
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* page = new QScrollArea;
    auto* content = new QWidget;
    content->setFixedSize(100, 2000);
    page->setWidget(content);
    column->addWidget(page);
    followScrollFocus(*page);
    window.resize(300, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
    page->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(page->hasFocus());
    delete page;
}

// Tab or Shift+Tab entering a column from outside it brings the control it lands on into view.
TEST(ScrollFocus, AControlTheFocusEntersAColumnAtComesIntoView) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QPushButton(QStringLiteral("Before"));
    layout->addWidget(before);
    auto* column = new QScrollArea;
    auto* content = new QWidget;
    auto* stops = new QVBoxLayout(content);
    std::vector<QPushButton*> buttons;
    for (int i = 0; i < 40; ++i) stops->addWidget(buttons.emplace_back(new QPushButton(QString::number(i))));
    column->setWidget(content);
    column->setWidgetResizable(true);
    layout->addWidget(column);
    showColumnEndWithLastStop(*column);
    window.resize(300, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();

    for (QPushButton* entered : {buttons.front(), buttons[20]}) {
        column->verticalScrollBar()->setValue(entered == buttons.front() ? column->verticalScrollBar()->maximum() : 0);
        before->setFocus(Qt::TabFocusReason);
        entered->setFocus(Qt::TabFocusReason);
        const QRect shown(entered->mapTo(column->viewport(), QPoint()), entered->size());
        EXPECT_TRUE(column->viewport()->rect().contains(shown)) << entered->text().toStdString();
    }
}

}  // namespace
}  // namespace korvane
