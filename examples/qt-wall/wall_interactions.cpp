// qt-wall-interactions: clicks through a real wall as a user would and says
// whether each step did what the user expects, judged from the screen.
//   qt-wall-interactions DIR STREAM.zvs RECORDING.zvr
// The stream plays in tile 1 and the recording in tile 2. The recording's
// pictures must carry their frame numbers as nine stripes (screen_probe.h),
// so the screen tells which frame is shown. Every step waits for what it
// expects, within a bound. Leaves in DIR, for checks by outside tools:
//   fill-screen.png   the screen where the stream's tile filled the wall
//   fill-picture.bmp  the stream's picture as the player hands it out
//   snapshot.jpg, snapshot.bmp   the Snapshot button's files, of frame
//   snapshot-frame.txt           this frame number
// Prints a line per step; the status is 0 when every step passed.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cstdio>

#include "screen_probe.h"
#include "wall_window.h"

namespace {

constexpr int kGrid = 2;
constexpr int kStreamTile = 0, kRecordingTile = 1;
constexpr int kBoundMs = 15000;
// A picture unchanged this long has stopped: 25 frame times of the recording.
constexpr int kStillMs = 1000;
// Played this far before pausing, the recording has key frames behind it to
// go back through.
constexpr int kPauseFrom = 60;
// The player reads up to two frames ahead of the one shown.
constexpr int kReadAhead = 2;
constexpr double kSamePicture = 0.04;
constexpr int kVolumePercent = 50;
constexpr int32_t kHalfVolume = -5000; // hundredths of a decibel of attenuation

struct Failure {
    QString what;
};

void passed(const QString &step) { std::printf("ok: %s\n", qPrintable(step)); std::fflush(stdout); }

template <typename Condition> void waitFor(Condition condition, const QString &what)
{
    if (!QTest::qWaitFor(condition, kBoundMs)) throw Failure{what};
}

void expect(bool condition, const QString &what)
{
    if (!condition) throw Failure{what};
}

// The frame number on show, read twice alike (never a picture half drawn).
int frameOn(const Tile &tile)
{
    const int first = readFrameNumber(grabShown(tile));
    return first == readFrameNumber(grabShown(tile)) ? first : -1;
}

// The frame number once the picture stays the same for kStillMs.
int stillFrame(const Tile &tile)
{
    QImage last;
    QElapsedTimer still;
    still.start();
    waitFor([&] {
        const QImage now = grabShown(tile);
        if (now != last) still.restart();
        last = now;
        return still.elapsed() >= kStillMs;
    }, QStringLiteral("the recording's picture never stood still"));
    return readFrameNumber(last);
}

class Interactions {
public:
    Interactions(WallWindow &wall, const QString &directory) : wall_(wall), directory_(directory) {}
    void run();

private:
    Tile &shownTile();
    void click(const QString &button);
    void snapshot(const QString &name);

    void fillAndBack();
    int pauseAndStep();
    void reverse(int from);
    void volume();

    WallWindow &wall_;
    QString directory_;
};

Tile &Interactions::shownTile()
{
    auto *stack = qobject_cast<QStackedWidget *>(wall_.centralWidget());
    auto *fill = qobject_cast<Tile *>(stack->currentWidget());
    return fill != nullptr ? *fill : *wall_.tile(kStreamTile);
}

void Interactions::click(const QString &button)
{
    for (QToolBar *tools : wall_.findChildren<QToolBar *>())
        for (QAction *action : tools->actions())
            if (action->text() == button) {
                QTest::mouseClick(tools->widgetForAction(action), Qt::LeftButton);
                return;
            }
    throw Failure{QStringLiteral("no %1 button").arg(button)};
}

// The Snapshot button asks for a file name: the dialog is answered once it
// is up (or given up on, past the bound).
void Interactions::snapshot(const QString &name)
{
    const QString path = QDir(directory_).absoluteFilePath(name);
    QTimer answer;
    QElapsedTimer asking;
    asking.start();
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        auto *typed = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (asking.elapsed() > kBoundMs || typed == nullptr) dialog->reject();
        // The name typed in; the dialog reads folders in the background, so
        // it is saved once the dialog has taken the name.
        else if (dialog->selectedFiles().value(0) != path) return typed->setText(path);
        else static_cast<QDialog *>(dialog)->accept(); // as its Save button does
        answer.stop();
    });
    answer.start(50);
    click(QStringLiteral("Snapshot..."));
    waitFor([&] { return QFile::exists(path); }, QStringLiteral("the snapshot %1 was not written").arg(name));
}

// A double-click makes the stream's tile fill the wall, with the player's
// picture in it; another puts it back.
void Interactions::fillAndBack()
{
    WallPlayer &player = *wall_.player(kStreamTile);
    waitFor([&] { return player.finished(); }, QStringLiteral("the stream did not play to its end"));
    const QString picturePath = directory_ + QStringLiteral("/fill-picture.bmp");
    expect(player.snapshot(picturePath), QStringLiteral("the stream's player has no picture"));
    const QImage picture(picturePath);
    Tile &tile = *wall_.tile(kStreamTile);
    waitFor([&] { return blockDifference(grabShown(tile), picture) < kSamePicture; },
            QStringLiteral("the stream's tile does not show its picture"));

    QTest::mouseDClick(&tile, Qt::LeftButton);
    Tile &fill = shownTile();
    expect(&fill != &tile && fill.width() > kGrid * tile.width() - kGrid && fill.height() > kGrid * tile.height() - kGrid,
           QStringLiteral("a double-click did not make the tile fill the wall"));
    waitFor([&] { return blockDifference(grabShown(fill), picture) < kSamePicture; },
            QStringLiteral("the filled wall does not show the stream's picture"));
    grabShown(fill).save(directory_ + QStringLiteral("/fill-screen.png"));
    passed(QStringLiteral("a double-click fills the wall with the tile's picture"));

    QTest::mouseDClick(&fill, Qt::LeftButton);
    expect(&shownTile() == &tile && tile.isVisible(), QStringLiteral("a second double-click did not bring the wall back"));
    waitFor([&] { return blockDifference(grabShown(tile), picture) < kSamePicture; },
            QStringLiteral("back on the wall, the tile does not show its picture"));
    passed(QStringLiteral("a second double-click brings the wall back, the picture in its tile"));
}

// Returns the frame the recording was left paused on.
int Interactions::pauseAndStep()
{
    const Tile &tile = *wall_.tile(kRecordingTile);
    QTest::mouseClick(wall_.tile(kRecordingTile), Qt::LeftButton);
    waitFor([&] { return frameOn(tile) >= kPauseFrom; }, QStringLiteral("the recording does not play"));
    click(QStringLiteral("Pause"));
    const int paused = stillFrame(tile);
    expect(paused >= kPauseFrom, QStringLiteral("paused on an unreadable picture"));
    passed(QStringLiteral("Pause: the picture stops, on frame %1").arg(paused));

    int frame = paused;
    for (int step = 1; step <= 2; ++step) {
        click(QStringLiteral("Step"));
        waitFor([&] { const int now = frameOn(tile); return now >= 0 && now != frame; },
                QStringLiteral("Step showed no other frame"));
        const int stepped = stillFrame(tile);
        expect(stepped == frame + 1, QStringLiteral("Step went from frame %1 to %2").arg(frame).arg(stepped));
        frame = stepped;
    }
    passed(QStringLiteral("Step: one frame on each time, to frame %1").arg(frame));
    return frame;
}

// Fast backward shows ever earlier frames, once the frames already read
// ahead for forward play have been shown.
void Interactions::reverse(int from)
{
    const Tile &tile = *wall_.tile(kRecordingTile);
    // The dialogs covered the tile: it shows the paused frame again first.
    waitFor([&] { return frameOn(tile) == from; }, QStringLiteral("the tile did not show its paused frame again"));
    click(QStringLiteral("Reverse"));
    QList<int> shown{from};
    QStringList frames;
    const auto goingBack = [&] {
        const int now = frameOn(tile);
        if (now < 0 || now == shown.back()) return false;
        shown << now;
        frames << QString::number(now);
        const int n = int(shown.size());
        return now > from + kReadAhead ||
               (n >= 3 && shown[n - 1] < shown[n - 2] && shown[n - 2] < shown[n - 3] && now < from);
    };
    if (!QTest::qWaitFor(goingBack, kBoundMs) || shown.back() > from + kReadAhead)
        throw Failure{QStringLiteral("Reverse showed frames %1 after frame %2").arg(frames.join(' ')).arg(from)};
    passed(QStringLiteral("Reverse: from frame %1 on to frames %2").arg(from).arg(frames.join(QStringLiteral(", "))));
}

// The volume slider sets the selected tile's player, only that one.
void Interactions::volume()
{
    QSlider *slider = wall_.findChild<QSlider *>();
    expect(slider != nullptr, QStringLiteral("no volume slider"));
    slider->setFocus();
    while (slider->value() > kVolumePercent) QTest::keyClick(slider, Qt::Key_PageDown);
    int32_t recording = 0, stream = 0;
    ZAVI_Play_GetVolume(wall_.player(kRecordingTile)->handle(), &recording);
    ZAVI_Play_GetVolume(wall_.player(kStreamTile)->handle(), &stream);
    expect(recording == kHalfVolume && stream == 0,
           QStringLiteral("volume at half: the recording's player is at %1, the stream's at %2").arg(recording).arg(stream));
    passed(QStringLiteral("Volume: the selected tile's player at half"));
}

void Interactions::run()
{
    fillAndBack();
    const int frame = pauseAndStep();
    snapshot(QStringLiteral("snapshot.jpg"));
    snapshot(QStringLiteral("snapshot.bmp"));
    QFile number(directory_ + QStringLiteral("/snapshot-frame.txt"));
    expect(number.open(QIODevice::WriteOnly) && number.write(QByteArray::number(frame) + '\n') > 0,
           QStringLiteral("cannot write in %1").arg(directory_));
    number.close();
    passed(QStringLiteral("Snapshot: written as JPEG and BMP"));
    volume();
    reverse(frame);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: qt-wall-interactions DIR STREAM.zvs RECORDING.zvr\n");
        return 2;
    }
    WallWindow wall(kGrid);
    wall.resize(WallWindow::startSize(kGrid));
    wall.show();
    if (!QTest::qWaitForWindowExposed(&wall)) return 1;
    wall.openFiles(0, arguments.mid(2));
    try {
        Interactions(wall, arguments[1]).run();
    } catch (const Failure &failure) {
        std::fprintf(stderr, "FAILED: %s\n", qPrintable(failure.what));
        return 1;
    }
    return 0;
}
