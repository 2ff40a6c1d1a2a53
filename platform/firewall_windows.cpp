// Windows' firewall through its COM interface (INetFwPolicy2), and the elevation prompt through
// the shell's "runas" verb.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <initguid.h>
#include <netfw.h>
#include <oleauto.h>
// clang-format on

#include <cstdio>
#include <string>

#include "platform/firewall.h"
#include "platform/windows_text.h"

namespace qz7 {

namespace {

// The protocol number the firewall gives a rule for every protocol (its header lacks the name).
constexpr LONG kAnyProtocol = 256;

// How long an elevated run may take once the prompt was answered.
constexpr DWORD kElevatedRunWaitMilliseconds = 5 * 60 * 1000;

std::string comErrorText(HRESULT result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    return systemErrorText(DWORD(result)) + " (" + code + ")";
}

// COM for this thread for as long as it lives; a thread that already has it keeps its own.
class ComSession {
  public:
    ComSession() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComSession() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;

  private:
    HRESULT result_;
};

// An owned COM interface pointer.
template <typename Interface>
class ComPointer {
  public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    Interface** out() { return &pointer_; }
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }

  private:
    Interface* pointer_ = nullptr;
};

// An owned BSTR made from UTF-8.
class WideString {
  public:
    explicit WideString(const std::string& utf8)
        : text_(SysAllocString(wideFromUtf8(utf8).c_str())) {}
    ~WideString() { SysFreeString(text_); }
    WideString(const WideString&) = delete;
    WideString& operator=(const WideString&) = delete;
    operator BSTR() const { return text_; }

  private:
    BSTR text_;
};

// Reads a BSTR property and frees it.
template <typename Getter>
std::string stringProperty(Getter get) {
    BSTR value = nullptr;
    if (FAILED(get(&value)) || value == nullptr) return {};
    std::string text = utf8FromWide(value, SysStringLen(value));
    SysFreeString(value);
    return text;
}

std::string expandedPath(const std::string& path) {
    if (path.empty()) return path;
    const std::wstring wide = wideFromUtf8(path);
    const DWORD size = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    if (size == 0) return path;
    std::wstring expanded(size, L'\0');
    if (ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), size) == 0) return path;
    expanded.resize(wcsnlen(expanded.c_str(), expanded.size()));
    return utf8FromWide(expanded);
}

std::string protocolText(LONG protocol) {
    switch (protocol) {
        case NET_FW_IP_PROTOCOL_TCP:
            return "TCP";
        case NET_FW_IP_PROTOCOL_UDP:
            return "UDP";
        case kAnyProtocol:
            return "Any";
        default:
            return std::to_string(protocol);
    }
}

FirewallRule ruleFrom(INetFwRule* rule) {
    FirewallRule read;
    read.name = stringProperty([rule](BSTR* value) { return rule->get_Name(value); });
    LONG protocol = kAnyProtocol;
    rule->get_Protocol(&protocol);
    read.protocol = protocolText(protocol);
    read.localPorts = stringProperty([rule](BSTR* value) { return rule->get_LocalPorts(value); });
    if (read.localPorts.empty()) read.localPorts = "*";
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_IN;
    rule->get_Direction(&direction);
    read.direction = direction == NET_FW_RULE_DIR_OUT ? FirewallRule::Direction::Outbound
                                                      : FirewallRule::Direction::Inbound;
    NET_FW_ACTION action = NET_FW_ACTION_ALLOW;
    rule->get_Action(&action);
    read.action =
        action == NET_FW_ACTION_BLOCK ? FirewallRule::Action::Block : FirewallRule::Action::Allow;
    LONG profiles = kFirewallAllProfiles;
    rule->get_Profiles(&profiles);
    read.profiles = int(profiles);
    read.program = expandedPath(
        stringProperty([rule](BSTR* value) { return rule->get_ApplicationName(value); }));
    VARIANT_BOOL enabled = VARIANT_FALSE;
    rule->get_Enabled(&enabled);
    read.enabled = enabled != VARIANT_FALSE;
    return read;
}

// The policy's rule collection, or the reason there is none.
HRESULT openRules(ComPointer<INetFwRules>& rules) {
    ComPointer<INetFwPolicy2> policy;
    HRESULT result = CoCreateInstance(CLSID_NetFwPolicy2, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_INetFwPolicy2, reinterpret_cast<void**>(policy.out()));
    if (FAILED(result)) return result;
    result = policy->get_Rules(rules.out());
    if (SUCCEEDED(result) && rules.get() == nullptr) result = E_POINTER;
    return result;
}

class WindowsFirewall final : public Firewall {
  public:
    bool available() override { return true; }

    FirewallListing listRules() override {
        ComSession com;
        FirewallListing listing;
        ComPointer<INetFwRules> rules;
        HRESULT result = openRules(rules);
        ComPointer<IUnknown> enumerator;
        if (SUCCEEDED(result)) result = rules->get__NewEnum(enumerator.out());
        ComPointer<IEnumVARIANT> variants;
        if (SUCCEEDED(result) && enumerator.get() == nullptr) result = E_POINTER;
        if (SUCCEEDED(result))
            result = enumerator->QueryInterface(IID_IEnumVARIANT,
                                                reinterpret_cast<void**>(variants.out()));
        if (FAILED(result)) {
            listing.error = comErrorText(result);
            return listing;
        }
        // Bounded: a firewall holds a few thousand rules at most.
        for (int index = 0; index < 100000; ++index) {
            VARIANT item;
            VariantInit(&item);
            ULONG fetched = 0;
            if (variants->Next(1, &item, &fetched) != S_OK || fetched == 0) break;
            INetFwRule* rule = nullptr;
            if (item.vt == VT_DISPATCH && item.pdispVal != nullptr &&
                SUCCEEDED(item.pdispVal->QueryInterface(IID_INetFwRule,
                                                        reinterpret_cast<void**>(&rule)))) {
                listing.rules.push_back(ruleFrom(rule));
                rule->Release();
            }
            VariantClear(&item);
        }
        listing.read = true;
        return listing;
    }

    FirewallChange addRule(const FirewallRule& wanted) override {
        ComSession com;
        ComPointer<INetFwRules> rules;
        HRESULT result = openRules(rules);
        ComPointer<INetFwRule> rule;
        if (SUCCEEDED(result))
            result = CoCreateInstance(CLSID_NetFwRule, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_INetFwRule, reinterpret_cast<void**>(rule.out()));
        const auto set = [&result](HRESULT step) {
            if (SUCCEEDED(result)) result = step;
        };
        if (SUCCEEDED(result)) {
            WideString name(wanted.name);
            WideString ports(wanted.localPorts);
            WideString program(wanted.program);
            set(rule->put_Name(name));
            set(rule->put_Protocol(wanted.protocol == "UDP" ? NET_FW_IP_PROTOCOL_UDP
                                                            : NET_FW_IP_PROTOCOL_TCP));
            set(rule->put_LocalPorts(ports));
            set(rule->put_Direction(wanted.direction == FirewallRule::Direction::Outbound
                                        ? NET_FW_RULE_DIR_OUT
                                        : NET_FW_RULE_DIR_IN));
            set(rule->put_Action(wanted.action == FirewallRule::Action::Block
                                     ? NET_FW_ACTION_BLOCK
                                     : NET_FW_ACTION_ALLOW));
            set(rule->put_Profiles(LONG(wanted.profiles)));
            if (!wanted.program.empty()) set(rule->put_ApplicationName(program));
            set(rule->put_Enabled(wanted.enabled ? VARIANT_TRUE : VARIANT_FALSE));
            set(rules->Add(rule.get()));
        }
        if (FAILED(result))
            return {false, "правило «" + wanted.name + "» не добавлено: " + comErrorText(result)};
        return {true, {}};
    }

    FirewallChange removeRules(const std::string& name) override {
        ComSession com;
        ComPointer<INetFwRules> rules;
        HRESULT result = openRules(rules);
        WideString wideName(name);
        // Remove takes one rule of the name at a time; a name is rarely held by more than a few.
        for (int attempt = 0; SUCCEEDED(result) && attempt < 1000; ++attempt) {
            ComPointer<INetFwRule> rule;
            const HRESULT found = rules->Item(wideName, rule.out());
            if (found == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) return {true, {}};
            // Any other failure leaves it unknown whether a rule of the name is still there.
            result = FAILED(found) ? found : rules->Remove(wideName);
        }
        if (SUCCEEDED(result)) result = E_UNEXPECTED;
        return {false, "правило «" + name + "» не удалено: " + comErrorText(result)};
    }

    bool hasAdministratorRights() override {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        const bool elevated =
            GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
            elevation.TokenIsElevated != 0;
        CloseHandle(token);
        return elevated;
    }

    ElevatedRun runElevated(const std::filesystem::path& program, const std::string& parameters,
                            std::uintptr_t ownerWindow) override {
        const std::wstring wideParameters = wideFromUtf8(parameters);
        SHELLEXECUTEINFOW request{};
        request.cbSize = sizeof request;
        request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        request.hwnd = reinterpret_cast<HWND>(ownerWindow);
        request.lpVerb = L"runas";
        request.lpFile = program.c_str();
        request.lpParameters = wideParameters.c_str();
        request.nShow = SW_HIDE;
        ElevatedRun run;
        if (!ShellExecuteExW(&request)) {
            const DWORD error = GetLastError();
            if (error == ERROR_CANCELLED) {
                run.outcome = ElevatedRun::Outcome::Refused;
            } else {
                run.outcome = ElevatedRun::Outcome::Failed;
                run.error = systemErrorText(error);
            }
            return run;
        }
        if (request.hProcess == nullptr) {
            run.error = "система не дала дождаться завершения программы";
            return run;
        }
        const DWORD waited = WaitForSingleObject(request.hProcess, kElevatedRunWaitMilliseconds);
        DWORD exitCode = 0;
        if (waited == WAIT_OBJECT_0 && GetExitCodeProcess(request.hProcess, &exitCode)) {
            run.outcome = ElevatedRun::Outcome::Finished;
            run.exitCode = int(exitCode);
        } else {
            run.error = waited == WAIT_TIMEOUT ? "программа не завершилась за 5 минут"
                                               : systemErrorText(GetLastError());
        }
        CloseHandle(request.hProcess);
        return run;
    }
};

}  // namespace

Firewall& systemFirewall() {
    static WindowsFirewall firewall;
    return firewall;
}

}  // namespace qz7
