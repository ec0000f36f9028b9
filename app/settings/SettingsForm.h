#pragma once

#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QWidget>
#include <optional>
#include <string>

class QFormLayout;
class QToolButton;

namespace korvane {

class ElidedLabel;

// The pieces the three form tabs are made of: titled sections, closing notes
// and the removable path row.

// A symbol from the icon font as an icon in one colour.
QIcon symbolIcon(const std::string& name, double size, const QColor& color);

// A titled section whose rows are laid out by a form (label, control) or
// across its width.
class FormSection : public QGroupBox {
    Q_OBJECT
public:
    explicit FormSection(const QString& title, QWidget* parent = nullptr);
    QFormLayout* rows() const { return rows_; }

private:
    QFormLayout* rows_;
};

// The explanation that closes a section: 10 points, secondary, wrapped.
class FormNote : public QLabel {
    Q_OBJECT
public:
    explicit FormNote(const QString& text, QWidget* parent = nullptr);

private:
    void restyle();
};

// A stored path shown with "~" for the home folder, cut at its head so that
// its end stays visible, and a button that asks for its removal with the
// stored path (not the shown text). A hint ("Not found") follows the path
// in a quieter tone.
class PathRowView : public QWidget {
    Q_OBJECT
public:
    PathRowView(std::string path, const std::string& shown,
                const std::optional<std::string>& hint = std::nullopt, QWidget* parent = nullptr);

    const std::string& path() const { return path_; }
    ElidedLabel* label() const { return label_; }
    // Present only with a hint.
    QLabel* hint() const { return hint_; }
    QToolButton* removeButton() const { return remove_; }

signals:
    void removeRequested(const std::string& path);

private:
    void restyle();

    std::string path_;
    ElidedLabel* label_;
    QLabel* hint_ = nullptr;
    QToolButton* remove_;
};

}  // namespace korvane
