#pragma once

#include <QWidget>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/presenters/SettingsContent.h"

class QLayout;
class QVBoxLayout;

namespace korvane {

class PathRowView;

// What the settings window's tabs share: the scrolling page their sections
// sit on, the lists of stored paths with a remove button each, and a restyle
// on every palette change.
class SettingsTabPage : public QWidget {
    Q_OBJECT
protected:
    explicit SettingsTabPage(QWidget* parent = nullptr);

    // The sections from the top, on a page that scrolls when they are taller
    // than the tab.
    void setSections(std::initializer_list<QWidget*> sections);

    // The path rows a list shows, in order.
    static std::vector<PathRowView*> pathRows(const QLayout& list);
    // Shows the paths in the list; the rows are made again only when the
    // paths differ, and a row's button asks remove for its stored path.
    void showPathRows(QVBoxLayout& list, const std::vector<PathRow>& paths,
                      const std::function<void(const std::string&)>& remove);

    // The last Tab stop of this page before `list` in the Tab order, if any.
    QWidget* stopBefore(const QWidget& list) const;

    // Colours what the palette alone does not reach.
    virtual void restyle() {}
};

}  // namespace korvane
