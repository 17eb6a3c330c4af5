// Prints the program folder as the window would find it; started through links by
// tst_circuit_picture.
#include "ui/circuit_page/circuit_picture.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    const QCoreApplication app(argc, argv);
    std::puts(qPrintable(ui::ProgramFolder()));
    return 0;
}
