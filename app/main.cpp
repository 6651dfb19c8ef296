#include <iostream>

#include "app/CVantorApp.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return CVantorApp::Main(argc, argv);
}
