#include "layoutcommand.h"

#include <iostream>

int main(int argc, char **argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string out;
    std::string err;
    const int status = marquetrix::layout::runLayoutCommand(arguments, out, err);
    std::cout << out;
    std::cerr << err;
    return status;
}
