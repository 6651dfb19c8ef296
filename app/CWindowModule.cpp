#include "app/CWindowModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <ostream>
#include <system_error>
#include <vector>

namespace {

constexpr char kProgram[] = "tarvex";

using EntryPoint = int (*)(int, char**);

// The module that failed to load, or every place looked in when there was none.
std::string Describe(const std::string& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) return path;
    std::string places;
    for (const std::string& candidate : CWindowModule::Candidates())
        places += (places.empty() ? "" : " または ") + candidate;
    return places;
}

}  // namespace

std::vector<std::string> CWindowModule::Candidates() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {TARVEX_WINDOW_MODULE};
    const std::filesystem::path folder = program.parent_path();
    return {(folder / TARVEX_WINDOW_MODULE).string(),
            (folder / TARVEX_MODULE_RELDIR / TARVEX_WINDOW_MODULE).lexically_normal().string()};
}

std::string CWindowModule::Path() {
    const std::vector<std::string> candidates = Candidates();
    std::error_code error;
    for (const std::string& candidate : candidates)
        if (std::filesystem::exists(candidate, error)) return candidate;
    return candidates.front();
}

int CWindowModule::Run(int argc, char** argv, std::ostream& errors) {
    const std::string path = Path();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = module == nullptr ? nullptr : dlsym(module, kEntryPoint);
    if (entry == nullptr) {
        const char* reason = dlerror();
        errors << kProgram << ": ウィンドウのモジュール " << Describe(path) << " を読み込めません";
        if (module != nullptr) errors << " (入口 " << kEntryPoint << " がありません)";
        errors << ": " << (reason != nullptr ? reason : "") << "\n"
               << kProgram << ": --batch ならウィンドウなしで実行できます。\n";
        return kNotLoadedStatus;
    }
    return reinterpret_cast<EntryPoint>(entry)(argc, argv);
}
