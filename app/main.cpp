#include <iostream>
#include <string>
#include <vector>

#include "app/CLaunchOptions.h"
#include "app/CWindowModule.h"
#include "batch/CBatchRunner.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (CBatchRunner::OwnsCommandLine(args)) return CBatchRunner::Main(args, std::cin, std::cout, std::cerr);
    const CLaunchOptions options = CLaunchOptions::Parse(args);
    if (!options.NeedsWindow()) return options.RunWithoutWindow(args, std::cin, std::cout, std::cerr);
    return CWindowModule::Run(argc, argv, std::cerr);
}
