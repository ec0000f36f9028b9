#pragma once

#include <QPushButton>

namespace korvane {

// One step of a location: a node's name as a flat button, the last step
// emphasised on the hover colour. The name shows as written (no mnemonic)
// and is elided at its end when the row runs short.
class CrumbButton : public QPushButton {
    Q_OBJECT
public:
    CrumbButton(const QString& name, bool isLast, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    bool isLast_;
};

}  // namespace korvane
