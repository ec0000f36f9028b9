#pragma once

#include <QWidget>

#include "app/presenters/ReviewContent.h"

class QLabel;
class QLayout;
class QScrollArea;
class QVBoxLayout;

namespace korvane {

class ByteHeadline;
class DeveloperState;
class DisposalPicker;
class KitButton;
class PreferencesState;
class SymbolView;

// The review sheet's content: every selected candidate, largest first, with
// how it goes, the warnings, the disposal choice and the button that starts
// the cleanup. The sheet that holds it closes on closeRequested().
class ReviewView : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 660;
    // Its height where the window has room; in a lower window the list gives way.
    static constexpr int sheetHeight = 570;
    // Rows are built in batches as the list scrolls, so a selection of
    // thousands opens at once.
    static constexpr int rowBatch = 60;

    ReviewView(DeveloperState& developer, PreferencesState& preferences, QWidget* parent = nullptr);

    const ReviewContent& content() const { return content_; }
    DisposalPicker* disposalPicker() const { return picker_; }
    KitButton* cleanButton() const { return clean_; }
    KitButton* cancelButton() const { return cancel_; }
    // The row widgets built so far, in list order.
    QList<QWidget*> rowViews() const;

    // Its own height, not that of its wrapped lines: the list takes what is left.
    QSize sizeHint() const override { return {sheetWidth, sheetHeight}; }
    bool hasHeightForWidth() const override { return false; }

signals:
    void closeRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLayout* buildHeader();
    void buildList();
    QLayout* buildFooter();
    void connectActions();
    void refresh();
    void restyle();
    void rebuildRows();
    void buildMoreRows();

    DeveloperState& developer_;
    PreferencesState& preferences_;
    ReviewContent content_;
    bool hasContent_ = false;
    int builtRows_ = 0;
    QLabel* title_;
    ByteHeadline* total_;
    QWidget* warning_;
    SymbolView* warningSymbol_;
    QLabel* warningText_;
    QWidget* leftOut_;
    SymbolView* leftOutSymbol_;
    QLabel* leftOutText_;
    QScrollArea* scroll_;
    QWidget* list_;
    QVBoxLayout* listLayout_;
    QWidget* trashNotice_;
    SymbolView* trashSymbol_;
    QLabel* trashText_;
    QWidget* permanentNotice_;
    SymbolView* permanentSymbol_;
    QLabel* permanentText_;
    DisposalPicker* picker_;
    KitButton* cancel_;
    KitButton* clean_;
};

}  // namespace korvane
