#include "FileHandle.h"

namespace fakeamp {

bool WriteTextFile(const std::string& path, const std::string& text, bool append) {
    FileHandle file(CreateFileA(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const std::size_t chunk = text.size() - done > (1u << 24) ? (1u << 24) : text.size() - done;
        DWORD wrote = 0;
        if (!WriteFile(file.Get(), text.data() + done, static_cast<DWORD>(chunk), &wrote, nullptr) || wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

}  // namespace fakeamp
