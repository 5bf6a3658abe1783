#include <QCoreApplication>
#include <cstdio>

// The entry point grows with the window and the commands; for now it only builds.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::fprintf(stderr, "mirel: nothing to run yet\n");
    return 2;
}
