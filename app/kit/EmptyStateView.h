#pragma once

#include <string>

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace korvane {

class SymbolView;

// A placeholder centred in the space it is given: a symbol, a title and a
// message in a column, optionally with a button below.
class EmptyStateView : public QWidget {
    Q_OBJECT
public:
    // The symbol's colour: the faint ink, or the accent for a good outcome.
    enum class SymbolTone { inkTertiary, accent };

    EmptyStateView(std::string symbol, double symbolSize, SymbolTone tone, const QString& title, double titleSize,
                   const QString& message, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setSymbol(std::string symbol);
    void setMessage(const QString& message);
    QString title() const;
    QString message() const;
    // Adds a control under the message.
    void addButton(QWidget* button, int topSpacing);
    // Keeps the message within this width (lines centred).
    void setMessageWidth(int width);

private:
    void restyle();

    SymbolTone tone_;
    double titleSize_;
    SymbolView* symbol_;
    QLabel* title_;
    QLabel* message_;
    QVBoxLayout* column_;
};

}  // namespace korvane
