// A window that drags files, for the desktop tests: `quorlix-drag-source FILE... X Y` shows a
// green 200 by 200 square at (X, Y); pressing on it and moving starts a drag that carries the
// FILEs' addresses as a copy, as a file manager's would. Files dropped on it have their
// addresses written to standard output, one a line.
//
// What a test waits on goes to standard error, a line each: "drag started" once its drag
// runs, "drop accepted" or "drop refused" each time the window under the drag changes its
// answer, and "drag over" each time a drag over this window moves.

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QList>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource final : public QWidget {
public:
    explicit DragSource(QList<QUrl> files) : files_(std::move(files)) {
        setWindowFlags(Qt::FramelessWindowHint);
        setAcceptDrops(true);
        resize(200, 200);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::green); }
    void mousePressEvent(QMouseEvent*) override { pressed_ = true; }
    void mouseMoveEvent(QMouseEvent*) override {
        if (!pressed_) return;
        pressed_ = false;
        auto* mime = new QMimeData;
        mime->setUrls(files_);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        QObject::connect(drag, &QDrag::actionChanged, [](Qt::DropAction action) {
            say(action == Qt::IgnoreAction ? "drop refused" : "drop accepted");
        });
        say("drag started");
        drag->exec(Qt::CopyAction);
    }
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (event->mimeData()->hasUrls()) event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        say("drag over");
        if (event->mimeData()->hasUrls()) event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override {
        for (const QUrl& url : event->mimeData()->urls()) std::printf("%s\n", url.toEncoded().constData());
        std::fflush(stdout);
        event->acceptProposedAction();
    }

private:
    static void say(const char* line) {
        std::fprintf(stderr, "%s\n", line);
        std::fflush(stderr);
    }

    QList<QUrl> files_;
    bool pressed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) return 2;
    QList<QUrl> files;
    for (int i = 1; i < argc - 2; ++i) files.push_back(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i])));
    DragSource window(files);
    window.move(QString::fromLatin1(argv[argc - 2]).toInt(), QString::fromLatin1(argv[argc - 1]).toInt());
    window.show();
    return QApplication::exec();
}
