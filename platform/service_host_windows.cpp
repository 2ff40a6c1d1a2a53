#include <initguid.h>
#include <windows.h>
#define SECURITY_WIN32
#include <oleauto.h>
#include <security.h>
#include <taskschd.h>

#include <cstdio>

#include "platform/service_host.h"
#include "platform/windows_text.h"

namespace qz7 {

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// COM for the calling thread while it lives.
class ComApartment {
  public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

  private:
    HRESULT result_;
};

template <class Interface>
class ComPointer {
  public:
    ~ComPointer() {
        if (pointer_) pointer_->Release();
    }
    Interface* operator->() const { return pointer_; }
    Interface** put() { return &pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

  private:
    Interface* pointer_ = nullptr;
};

class Bstr {
  public:
    explicit Bstr(const std::string& text) : text_(SysAllocString(wideFromUtf8(text).c_str())) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(text_); }
    BSTR get() const { return text_; }
    BSTR* put() { return &text_; }
    std::string utf8() const { return text_ ? utf8FromWide(text_, SysStringLen(text_)) : ""; }

  private:
    BSTR text_ = nullptr;
};

std::string comErrorText(HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    const std::string text = systemErrorText(static_cast<DWORD>(result));
    return text.empty() ? std::string(code) : text + " (" + code + ")";
}

// The Task Scheduler's root folder; the reason in error when it cannot be reached.
bool rootFolder(ComPointer<ITaskService>& service, ComPointer<ITaskFolder>& folder,
                std::string& error) {
    HRESULT result = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ITaskService, reinterpret_cast<void**>(service.put()));
    VARIANT none;
    VariantInit(&none);
    if (SUCCEEDED(result)) result = service->Connect(none, none, none, none);
    Bstr root("\\");
    if (SUCCEEDED(result)) result = service->GetFolder(root.get(), folder.put());
    if (FAILED(result)) error = comErrorText(result);
    return SUCCEEDED(result);
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::string currentUserId() {
    wchar_t name[512];
    ULONG size = 512;
    if (GetUserNameExW(NameSamCompatible, name, &size)) return utf8FromWide(name, size);
    size = 512;
    if (GetUserNameW(name, &size) && size > 0) return utf8FromWide(name, size - 1);
    return {};
}

std::optional<std::string> registerTask(const std::string& name, const std::string& xml) {
    ComApartment com;
    ComPointer<ITaskService> service;
    ComPointer<ITaskFolder> folder;
    std::string error;
    if (!rootFolder(service, folder, error)) return error;
    VARIANT none;
    VariantInit(&none);
    Bstr taskName(name), definition(xml);
    ComPointer<IRegisteredTask> registered;
    const HRESULT result =
        folder->RegisterTask(taskName.get(), definition.get(), TASK_CREATE_OR_UPDATE, none, none,
                             TASK_LOGON_INTERACTIVE_TOKEN, none, registered.put());
    if (FAILED(result)) return comErrorText(result);
    return std::nullopt;
}

bool deleteTask(const std::string& name) {
    ComApartment com;
    ComPointer<ITaskService> service;
    ComPointer<ITaskFolder> folder;
    std::string error;
    if (!rootFolder(service, folder, error)) return false;
    Bstr taskName(name);
    return SUCCEEDED(folder->DeleteTask(taskName.get(), 0));
}

std::vector<std::pair<std::string, std::string>> tasksStartingWith(const std::string& prefix) {
    std::vector<std::pair<std::string, std::string>> found;
    ComApartment com;
    ComPointer<ITaskService> service;
    ComPointer<ITaskFolder> folder;
    std::string error;
    if (!rootFolder(service, folder, error)) return found;
    ComPointer<IRegisteredTaskCollection> tasks;
    LONG count = 0;
    if (FAILED(folder->GetTasks(TASK_ENUM_HIDDEN, tasks.put())) || FAILED(tasks->get_Count(&count)))
        return found;
    for (LONG i = 1; i <= count; ++i) {
        VARIANT index;
        VariantInit(&index);
        index.vt = VT_I4;
        index.lVal = i;
        ComPointer<IRegisteredTask> task;
        Bstr name;
        if (FAILED(tasks->get_Item(index, task.put())) || FAILED(task->get_Name(name.put())) ||
            !startsWith(name.utf8(), prefix))
            continue;
        Bstr description;
        ComPointer<ITaskDefinition> definition;
        ComPointer<IRegistrationInfo> information;
        if (SUCCEEDED(task->get_Definition(definition.put())) &&
            SUCCEEDED(definition->get_RegistrationInfo(information.put())))
            information->get_Description(description.put());
        found.emplace_back(name.utf8(), description.utf8());
    }
    return found;
}

std::optional<std::string> setRunValue(const std::string& name, const std::string& command) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        const std::wstring data = wideFromUtf8(command);
        status = RegSetValueExW(key, wideFromUtf8(name).c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) return systemErrorText(static_cast<DWORD>(status));
    return std::nullopt;
}

bool deleteRunValue(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const bool deleted = RegDeleteValueW(key, wideFromUtf8(name).c_str()) == ERROR_SUCCESS;
    RegCloseKey(key);
    return deleted;
}

std::vector<std::pair<std::string, std::string>> runValuesStartingWith(const std::string& prefix) {
    std::vector<std::pair<std::string, std::string>> found;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return found;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameSize = 256;
        DWORD type = 0;
        DWORD dataSize = 0;
        if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, nullptr, &dataSize) !=
            ERROR_SUCCESS)
            break;
        const std::string utf8Name = utf8FromWide(name, nameSize);
        if (type != REG_SZ || !startsWith(utf8Name, prefix)) continue;
        std::wstring data(dataSize / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                             &size) != ERROR_SUCCESS)
            continue;
        found.emplace_back(utf8Name, utf8FromWide(data.c_str()));
    }
    RegCloseKey(key);
    return found;
}

namespace {

class WindowsTaskSchedulerHost final : public TaskSchedulerHost {
  public:
    std::string currentUserId() override { return qz7::currentUserId(); }
    std::optional<std::string> registerTask(const std::string& name,
                                            const std::string& xml) override {
        return qz7::registerTask(name, xml);
    }
    bool deleteTask(const std::string& name) override { return qz7::deleteTask(name); }
    std::vector<std::pair<std::string, std::string>> tasksStartingWith(
        const std::string& prefix) override {
        return qz7::tasksStartingWith(prefix);
    }
    std::optional<std::string> setRunValue(const std::string& name,
                                           const std::string& command) override {
        return qz7::setRunValue(name, command);
    }
    bool deleteRunValue(const std::string& name) override { return qz7::deleteRunValue(name); }
    std::vector<std::pair<std::string, std::string>> runValuesStartingWith(
        const std::string& prefix) override {
        return qz7::runValuesStartingWith(prefix);
    }
};

}  // namespace

ServiceHosts systemServiceHosts() {
    static WindowsTaskSchedulerHost host;
    return {nullptr, &host};
}

}  // namespace qz7
