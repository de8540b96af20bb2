// A tile of the wall: a native window that Qt leaves alone and the library
// draws into. Clicks, double-clicks, dropped files and the window's need of
// a repaint (shown again, resized, uncovered) are passed on.
#pragma once

#include <QStringList>
#include <QWidget>

#include "ZAVIPlaySDK.h"

class Tile : public QWidget {
    Q_OBJECT
public:
    Tile(int index, QWidget *parent);
    // The library paints the whole tile: Qt must not paint over it.
    QPaintEngine *paintEngine() const override { return nullptr; }
    ZAVI_HWND windowHandle() { return static_cast<ZAVI_HWND>(winId()); }
    int index() const { return index_; }

signals:
    void clicked(int index);
    void doubleClicked(int index);
    void filesDropped(int index, const QStringList &paths);
    void exposed(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int index_;
};
