#include "cli/cli_app.h"

#include <cstdio>

int main(int argc, char** argv) {
    return ornavex::CliMain(argc, argv, stdout, stderr);
}
