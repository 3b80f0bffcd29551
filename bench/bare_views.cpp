// The memory baseline: a bare program holding five empty web views.
#include <QApplication>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    for (int i = 0; i < 5; ++i) {
        auto* view = new QWebEngineView(&window);
        view->setHtml("<html><body></body></html>");
        layout->addWidget(view);
    }
    window.resize(400, 600);
    window.show();
    return app.exec();
}
