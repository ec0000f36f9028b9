#include "app/kit/ShownToolTip.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QVariant>
#include <QWidget>

namespace korvane {

namespace {

// Where a widget keeps the text.
constexpr const char* textProperty = "korvaneShownToolTip";

// Answers tooltip requests with the widget's text; one for every widget.
class ToolTipShower : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
        const QString text = watched->property(textProperty).toString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), wrappingToolTipText(text),
                               static_cast<QWidget*>(watched));
        return true;
    }
};

}  // namespace

void setShownToolTip(QWidget& widget, const QString& text) {
    static ToolTipShower* const shower = new ToolTipShower;
    if (!widget.property(textProperty).isValid()) widget.installEventFilter(shower);
    widget.setProperty(textProperty, text);
    widget.setToolTip({});
}

QString shownToolTip(const QWidget& widget) { return widget.property(textProperty).toString(); }

QString wrappingToolTipText(const QString& text) {
    return QStringLiteral("<qt>%1</qt>")
        .arg(text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
}

}  // namespace korvane
