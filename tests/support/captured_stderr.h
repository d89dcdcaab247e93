#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

// What the action writes to standard error (file descriptor 2), in a file of the current folder.
template <typename Action> std::string captured_stderr(Action action) {
    std::fflush(stderr);
    const int saved_stderr = dup(STDERR_FILENO);
    std::FILE* captured = std::fopen("stderr.txt", "w+");
    dup2(fileno(captured), STDERR_FILENO);
    action();
    std::fflush(stderr);
    dup2(saved_stderr, STDERR_FILENO);
    close(saved_stderr);
    std::fclose(captured);
    std::ifstream text("stderr.txt");
    return std::string((std::istreambuf_iterator<char>(text)), {});
}
