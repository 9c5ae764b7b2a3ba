// quillmark-render: the drawing part of quillmark-cli (`quillmark-cli render`).

#include "Commands.h"

int main(int argc, char** argv) {
    return Quillmark::Cli::RunRender(Quillmark::Cli::Arguments(argv + 1, argv + argc));
}
