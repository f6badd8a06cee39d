// hearthkit-cli: the command line over the user's settings (the same ones the window keeps).
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/folders.h"
#include "cli/cli_app.h"
#include "functions/register_functions.h"
#include "qtsettings/qt_settings_store.h"

int main(int argc, char** argv) {
    hk::QtSettingsStore store;
    hk::FunctionRegistry functions;
    hk::RegisterAllFunctions(functions);

    hk::cli::CliEnvironment env{functions,
                                store,
                                std::cin,
                                std::cout,
                                std::cerr,
                                hk::FindProgramFolder(),
                                hk::DocumentsFolder(),
                                isatty(STDIN_FILENO) != 0,
                                isatty(STDERR_FILENO) != 0,
                                nullptr,
                                hk::ProgramFolderCandidates()};

    std::vector<std::string> args(argv + 1, argv + argc);
    int status = hk::cli::RunCli(args, env);
    store.Flush();
    return status;
}
