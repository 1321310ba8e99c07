#include <QApplication>

#include "app/Main.h"
#include "app/Program.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tamarind");

    ProgramOptions options;
    options.arguments = QApplication::arguments().mid(1);
    Program program(std::move(options));
    program.frmMain->show();
    return QApplication::exec();
}
