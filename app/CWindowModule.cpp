#include "app/CWindowModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <ostream>
#include <system_error>

namespace {

constexpr char kProgram[] = "tarvex";

using EntryPoint = int (*)(int, char**);

}  // namespace

std::string CWindowModule::Path() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(TARVEX_WINDOW_MODULE)
                  : program.parent_path() / TARVEX_WINDOW_MODULE)
        .string();
}

int CWindowModule::Run(int argc, char** argv, std::ostream& errors) {
    const std::string path = Path();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = module == nullptr ? nullptr : dlsym(module, kEntryPoint);
    if (entry == nullptr) {
        const char* reason = dlerror();
        errors << kProgram << ": ウィンドウのモジュール " << path << " を読み込めません";
        if (module != nullptr) errors << " (入口 " << kEntryPoint << " がありません)";
        errors << ": " << (reason != nullptr ? reason : "") << "\n"
               << kProgram << ": --batch ならウィンドウなしで実行できます。\n";
        return kNotLoadedStatus;
    }
    return reinterpret_cast<EntryPoint>(entry)(argc, argv);
}
