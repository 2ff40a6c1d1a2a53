#include "net/miniupnpc_gateway.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "platform/console.h"

namespace qz7 {

// The library prints its own English lines on standard error (perror, fprintf): every call into it
// is made with standard error quiet, and the program says what happened in its own words.

namespace {

// UPnP error 714: the router has no such mapping.
constexpr int kNoSuchEntryInArray = 714;

// Return codes of UPNP_GetValidIGD that name a usable Internet Gateway Device: connected,
// or found but reporting itself unconnected (mappings can still be made). From API 18 on the
// connected case is split into a public and a private external address.
bool isValidIgd(int code) {
#if MINIUPNPC_API_VERSION >= 18
    return code >= 1 && code <= 3;
#else
    return code == 1 || code == 2;
#endif
}

// Searches for every kind of gateway at once and then waits a single time, so that a network
// without a router costs one wait instead of one per kind. A version 2 gateway answers the
// search for version 1 as well.
UPNPDev* discoverDevices(int milliseconds) {
    const QuietLibraryOutput quiet;
    static const char* const kGatewayTypes[] = {
        "urn:schemas-upnp-org:device:InternetGatewayDevice:1",
        "urn:schemas-upnp-org:service:WANIPConnection:1",
        "urn:schemas-upnp-org:service:WANPPPConnection:1",
        nullptr,
    };
    int error = 0;
    constexpr int kSearchAllTypes = 1;
#if MINIUPNPC_API_VERSION >= 14
    return upnpDiscoverDevices(kGatewayTypes, milliseconds, nullptr, nullptr, UPNP_LOCAL_PORT_ANY,
                               0, 2, &error, kSearchAllTypes);
#else
    // Older releases search one kind after another.
    static_cast<void>(kGatewayTypes);
    static_cast<void>(kSearchAllTypes);
    return upnpDiscover(milliseconds, nullptr, nullptr, 0, 0, &error);
#endif
}

int getValidIgd(UPNPDev* devices, UPNPUrls* urls, IGDdatas* data, char* lanAddress,
                int lanAddressSize) {
    const QuietLibraryOutput quiet;
#if MINIUPNPC_API_VERSION >= 18
    std::array<char, 64> wanAddress{};
    return UPNP_GetValidIGD(devices, urls, data, lanAddress, lanAddressSize, wanAddress.data(),
                            static_cast<int>(wanAddress.size()));
#else
    return UPNP_GetValidIGD(devices, urls, data, lanAddress, lanAddressSize);
#endif
}

}  // namespace

class MiniupnpcGateway::Collection final : public PortMappingCollection {
  public:
    Collection() = default;
    // The miniupnpc calls leave the addresses empty or fill them; freeing empty ones is harmless.
    ~Collection() override { FreeUPNPUrls(&urls_); }
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    // A named router counts only when its description names a connection service to send the
    // mappings to: miniupnpc also "connects" to an error page or any other document, and every
    // request would then go nowhere.
    bool connectTo(const std::string& descriptionUrl) {
        const QuietLibraryOutput quiet;
        return UPNP_GetIGDFromUrl(descriptionUrl.c_str(), &urls_, &data_, lanAddress_.data(),
                                  static_cast<int>(lanAddress_.size())) == 1 &&
               data_.first.servicetype[0] != '\0' && data_.first.controlurl[0] != '\0';
    }

    bool connectToFirstValid(UPNPDev* devices) {
        return isValidIgd(getValidIgd(devices, &urls_, &data_, lanAddress_.data(),
                                      static_cast<int>(lanAddress_.size())));
    }

    std::string descriptionUrl() const {
        return urls_.rootdescURL != nullptr ? urls_.rootdescURL : std::string();
    }

    bool add(int externalPort, std::string_view protocol, int internalPort,
             const std::string& internalClient, bool /*enabled*/,
             std::string_view description) override {
        // A UPnP mapping is always made enabled; a lease of 0 asks for a permanent one.
        const std::string external = std::to_string(externalPort);
        const std::string internal = std::to_string(internalPort);
        const std::string protocolText(protocol);
        const std::string descriptionText(description);
        const QuietLibraryOutput quiet;
        const int code = UPNP_AddPortMapping(
            urls_.controlURL, data_.first.servicetype, external.c_str(), internal.c_str(),
            internalClient.c_str(), descriptionText.c_str(), protocolText.c_str(), nullptr, "0");
        return code == UPNPCOMMAND_SUCCESS;
    }

    bool remove(int externalPort, std::string_view protocol) override {
        const std::string external = std::to_string(externalPort);
        const std::string protocolText(protocol);
        const QuietLibraryOutput quiet;
        const int code = UPNP_DeletePortMapping(urls_.controlURL, data_.first.servicetype,
                                                external.c_str(), protocolText.c_str(), nullptr);
        return code == UPNPCOMMAND_SUCCESS || code == kNoSuchEntryInArray;
    }

    PortMappingLookup specificEntry(int externalPort, std::string_view protocol) override {
        const std::string external = std::to_string(externalPort);
        const std::string protocolText(protocol);
        // The sizes miniupnpc asks for: 16, 6, 80, 4 and 16 bytes.
        std::array<char, 64> client{};
        std::array<char, 16> internalPort{};
        std::array<char, 96> description{};
        std::array<char, 8> enabled{};
        std::array<char, 16> lease{};
        const QuietLibraryOutput quiet;
        const int code = UPNP_GetSpecificPortMappingEntry(
            urls_.controlURL, data_.first.servicetype, external.c_str(), protocolText.c_str(),
            nullptr, client.data(), internalPort.data(), description.data(),
#if MINIUPNPC_API_VERSION >= 18
            description.size(),
#endif
            enabled.data(), lease.data());
        if (code == kNoSuchEntryInArray) return {PortMappingLookup::Answer::Missing, {}};
        if (code != UPNPCOMMAND_SUCCESS) return {PortMappingLookup::Answer::NoAnswer, {}};
        return {PortMappingLookup::Answer::Found,
                {client.data(), std::atoi(internalPort.data()), description.data(),
                 std::string_view(enabled.data()) == "1"}};
    }

    std::string externalAddress() override {
        std::array<char, 64> address{};
        const QuietLibraryOutput quiet;
        if (UPNP_GetExternalIPAddress(urls_.controlURL, data_.first.servicetype, address.data()) !=
            UPNPCOMMAND_SUCCESS)
            return {};
        return address.data();
    }

    std::string lanAddress() const override { return lanAddress_.data(); }

  private:
    UPNPUrls urls_{};
    IGDdatas data_{};
    std::array<char, 64> lanAddress_{};
};

MiniupnpcGateway::MiniupnpcGateway(int discoveryMilliseconds)
    : discoveryMilliseconds_(discoveryMilliseconds) {}

MiniupnpcGateway::~MiniupnpcGateway() = default;

std::unique_ptr<MiniupnpcGateway> MiniupnpcGateway::atDescriptionUrl(std::string descriptionUrl) {
    auto gateway = std::make_unique<MiniupnpcGateway>();
    gateway->descriptionUrl_ = std::move(descriptionUrl);
    gateway->discoveryAllowed_ = false;
    return gateway;
}

std::unique_ptr<MiniupnpcGateway> MiniupnpcGateway::namedOrDiscovered(
    const std::optional<std::string>& descriptionUrl) {
    return descriptionUrl ? atDescriptionUrl(*descriptionUrl)
                          : std::make_unique<MiniupnpcGateway>();
}

PortMappingCollection* MiniupnpcGateway::staticPortMappingCollection() {
    collection_.reset();
    // Without sockets nothing can be asked: a failure, not a network without a router.
    if (!sockets_.ready()) throw std::runtime_error("the socket library could not be started");
    collection_ = connectRemembered();
    if (!collection_ && discoveryAllowed_) collection_ = discover();
    if (collection_) descriptionUrl_ = collection_->descriptionUrl();
    return collection_.get();
}

std::unique_ptr<MiniupnpcGateway::Collection> MiniupnpcGateway::connectRemembered() {
    if (descriptionUrl_.empty()) return nullptr;
    auto collection = std::make_unique<Collection>();
    if (!collection->connectTo(descriptionUrl_)) return nullptr;
    return collection;
}

std::unique_ptr<MiniupnpcGateway::Collection> MiniupnpcGateway::discover() {
    ++discoveryCount_;
    UPNPDev* devices = discoverDevices(discoveryMilliseconds_);
    if (devices == nullptr) return nullptr;
    auto collection = std::make_unique<Collection>();
    const bool valid = collection->connectToFirstValid(devices);
    freeUPNPDevlist(devices);
    if (!valid) return nullptr;
    return collection;
}

}  // namespace qz7
