#include "wall_window.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>

WallWindow::WallWindow(int grid)
{
    setWindowTitle(QStringLiteral("qt-wall"));
    auto *wall = new QWidget;
    grid_ = new QGridLayout(wall);
    grid_->setSpacing(2);
    grid_->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kMaxGrid * kMaxGrid; ++i) {
        tiles_[i] = new Tile(i, wall);
        connect(tiles_[i], &Tile::clicked, this, &WallWindow::select);
        connect(tiles_[i], &Tile::doubleClicked, this, &WallWindow::toggleFill);
        connect(tiles_[i], &Tile::filesDropped, this, &WallWindow::openFiles);
        connect(tiles_[i], &Tile::exposed, this, [this](int index) {
            if (index != filled_) repaint(index);
        });
    }
    fill_ = new Tile(-1, nullptr);
    connect(fill_, &Tile::doubleClicked, this, [this] { toggleFill(filled_); });
    connect(fill_, &Tile::exposed, this, [this] { repaint(filled_); });
    stack_ = new QStackedWidget;
    stack_->addWidget(wall);
    stack_->addWidget(fill_);
    setCentralWidget(stack_);

    auto *tools = addToolBar(QStringLiteral("Play"));
    auto *sizes = new QComboBox;
    for (int n = 2; n <= kMaxGrid; ++n) sizes->addItem(QStringLiteral("%1 x %1").arg(n), n);
    sizes->setCurrentIndex(grid - 2);
    connect(sizes, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this, sizes](int) { setGrid(sizes->currentData().toInt()); });
    tools->addWidget(sizes);
    tools->addAction(QStringLiteral("Open..."), this, &WallWindow::openWithDialog);
    tools->addAction(QStringLiteral("Play"), this, [this] { onSelected(&WallPlayer::play); });
    tools->addAction(QStringLiteral("Pause"), this, [this] { onSelected(&WallPlayer::pause); });
    tools->addAction(QStringLiteral("Step"), this, [this] { onSelected(&WallPlayer::step); });
    tools->addAction(QStringLiteral("Reverse"), this, [this] { onSelected(&WallPlayer::reverse); });
    tools->addAction(QStringLiteral("Snapshot..."), this, &WallWindow::saveSnapshot);
    auto *volume = new QSlider(Qt::Horizontal);
    volume->setRange(0, 100);
    volume->setValue(volume_);
    volume->setMaximumWidth(120);
    connect(volume, &QSlider::valueChanged, this, [this](int value) {
        volume_ = value;
        if (players_[selected_]) players_[selected_]->setVolume(value);
    });
    tools->addWidget(new QLabel(QStringLiteral(" Volume ")));
    tools->addWidget(volume);
    status_ = new QLabel;
    statusBar()->addWidget(status_);

    setGrid(grid);
    select(0);
}

// The players go before the windows they draw in.
WallWindow::~WallWindow()
{
    for (auto &player : players_) player.reset();
}

void WallWindow::setGrid(int size)
{
    if (filled_ >= 0) toggleFill(filled_);
    for (Tile *tile : tiles_) grid_->removeWidget(tile);
    gridSize_ = size;
    for (int i = 0; i < kMaxGrid * kMaxGrid; ++i) {
        const bool shown = i < tileCount();
        if (shown) grid_->addWidget(tiles_[i], i / size, i % size);
        else players_[i].reset(); // tiles off the wall stop playing
        tiles_[i]->setVisible(shown);
    }
    if (selected_ >= tileCount()) select(0);
}

void WallWindow::openFiles(int first, const QStringList &paths)
{
    int index = first;
    for (const QString &path : paths) {
        if (index >= tileCount()) break;
        players_[index].reset(); // before a new player takes the window
        auto player = std::make_unique<WallPlayer>(tiles_[index]->windowHandle());
        const QString error = player->open(path);
        if (!error.isEmpty()) {
            status_->setText(error);
            return;
        }
        player->setVolume(volume_);
        players_[index++] = std::move(player);
    }
    select(first);
}

void WallWindow::select(int index)
{
    selected_ = index;
    status_->setText(QStringLiteral("tile %1 selected%2")
                         .arg(index + 1)
                         .arg(players_[index] ? (players_[index]->isRecording() ? ", recording" : ", live") : ", empty"));
}

void WallWindow::toggleFill(int index)
{
    if (!players_[index]) return;
    if (filled_ < 0) {
        filled_ = index;
        stack_->setCurrentIndex(1);
        players_[index]->moveTo(fill_->windowHandle());
    } else {
        players_[filled_]->moveTo(tiles_[filled_]->windowHandle());
        stack_->setCurrentIndex(0);
        filled_ = -1;
    }
}

void WallWindow::repaint(int index)
{
    if (index >= 0 && players_[index]) players_[index]->repaint();
}

template <typename Action> void WallWindow::onSelected(Action action)
{
    if (players_[selected_]) (players_[selected_].get()->*action)();
}

void WallWindow::openWithDialog()
{
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Open streams or recordings"), {},
        QStringLiteral("Streams and recordings (*.zvs *.zvr);;All files (*)"));
    if (!paths.isEmpty()) openFiles(selected_, paths);
}

void WallWindow::saveSnapshot()
{
    if (!players_[selected_]) return;
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save snapshot"),
                                                      QStringLiteral("snapshot.jpg"),
                                                      QStringLiteral("JPEG (*.jpg);;BMP (*.bmp)"));
    if (path.isEmpty()) return;
    status_->setText(players_[selected_]->snapshot(path) ? QStringLiteral("saved %1").arg(path)
                                                         : QStringLiteral("no picture to save yet"));
}
