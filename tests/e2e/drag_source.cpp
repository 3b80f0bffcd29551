// A desktop program to drag a file from, for the drop tests: a small window at a given place;
// pressing the mouse in it starts dragging the file, and the program ends with the drop.
// Usage: zc_drag_source FILE X Y
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class Source : public QWidget {
public:
    explicit Source(QString file) : file_(std::move(file)) {
        setWindowTitle("zc drag source");
        setStyleSheet("background-color: #c03030;");
        setAttribute(Qt::WA_StyledBackground);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(file_)});
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("%s\n", done == Qt::CopyAction ? "copied" : "refused");
        std::fflush(stdout);
        QApplication::exit(done == Qt::CopyAction ? 0 : 3);
    }

private:
    QString file_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: zc_drag_source FILE X Y\n");
        return 2;
    }
    Source source(QString::fromLocal8Bit(argv[1]));
    source.setWindowFlags(Qt::FramelessWindowHint);
    source.setGeometry(std::atoi(argv[2]), std::atoi(argv[3]), 80, 80);
    source.show();
    return app.exec();
}
