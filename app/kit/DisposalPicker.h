#pragma once

#include <optional>
#include <vector>

#include <QWidget>

#include "app/presenters/DisposalOptions.h"

namespace korvane {

class Dropdown;
class ElidedLabel;
class PickerLabel;
class SymbolView;

// The review footer's choice of how items are removed: the current option's
// symbol and title, opening upwards into the list of options. A pick is
// reported (the owner stores and saves it) and closes the list; the label
// follows setDisposalOverride(), whoever changed the value.
class DisposalPicker : public QWidget {
    Q_OBJECT
public:
    explicit DisposalPicker(std::vector<DisposalOption> options = defaultDisposalOptions(),
                            QWidget* parent = nullptr);

    void setDisposalOverride(std::optional<Disposal> disposalOverride);
    std::optional<Disposal> disposalOverride() const { return override_; }
    Dropdown* dropdown() const { return dropdown_; }
    // The face the list opens from.
    PickerLabel* face() const { return label_; }

signals:
    void disposalChosen(std::optional<Disposal> disposal);

private:
    QList<QWidget*> rows(const std::function<void()>& close);
    void restyle();

    std::vector<DisposalOption> options_;
    std::optional<Disposal> override_;
    Dropdown* dropdown_;
    PickerLabel* label_;
    SymbolView* symbol_;
    ElidedLabel* title_;
    SymbolView* chevron_;
};

}  // namespace korvane
