#include "platform/standard_handles_windows.h"

#include <algorithm>

namespace qz7 {

HANDLE inheritableFile(const std::filesystem::path& file, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

OwnedHandle::~OwnedHandle() {
    if (valid()) CloseHandle(handle_);
}

StandardHandlesStartup::StandardHandlesStartup(HANDLE input, HANDLE output, HANDLE error) {
    for (HANDLE handle : {input, output, error})
        if (std::find(inherited_.begin(), inherited_.end(), handle) == inherited_.end())
            inherited_.push_back(handle);
    SIZE_T listSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
    listBytes_.resize(listSize);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listBytes_.data());
    if (InitializeProcThreadAttributeList(list, 1, 0, &listSize)) {
        listed_ =
            UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited_.data(),
                                      inherited_.size() * sizeof(HANDLE), nullptr, nullptr);
        if (!listed_) DeleteProcThreadAttributeList(list);
    }
    startup_.StartupInfo.cb = listed_ ? sizeof startup_ : sizeof startup_.StartupInfo;
    startup_.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup_.StartupInfo.hStdInput = input;
    startup_.StartupInfo.hStdOutput = output;
    startup_.StartupInfo.hStdError = error;
    startup_.lpAttributeList = listed_ ? list : nullptr;
}

StandardHandlesStartup::~StandardHandlesStartup() {
    if (listed_) DeleteProcThreadAttributeList(startup_.lpAttributeList);
}

}  // namespace qz7
