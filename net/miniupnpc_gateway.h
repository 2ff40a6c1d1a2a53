#pragma once

#include <memory>
#include <optional>
#include <string>

#include "net/port_mapping_gateway.h"
#include "platform/network_session.h"

namespace qz7 {

// The router's UPnP Internet Gateway Device service, reached with miniupnpc.
//
// The description address of the router that answered is remembered for the life of this
// object and asked again first, so that only the first batch of a run pays for SSDP discovery
// (which waits for answers from the whole network); discovery runs again only when the
// remembered router no longer answers.
class MiniupnpcGateway final : public PortMappingGateway {
  public:
    // How long discovery waits for answers to each search.
    static constexpr int kDefaultDiscoveryMilliseconds = 1000;

    explicit MiniupnpcGateway(int discoveryMilliseconds = kDefaultDiscoveryMilliseconds);
    // A router known by its description address: it alone is asked, and nothing is discovered.
    static std::unique_ptr<MiniupnpcGateway> atDescriptionUrl(std::string descriptionUrl);
    // The router at the description address when one is named, else the one discovery finds.
    static std::unique_ptr<MiniupnpcGateway> namedOrDiscovered(
        const std::optional<std::string>& descriptionUrl);
    ~MiniupnpcGateway() override;
    MiniupnpcGateway(const MiniupnpcGateway&) = delete;
    MiniupnpcGateway& operator=(const MiniupnpcGateway&) = delete;

    PortMappingCollection* staticPortMappingCollection() override;

    // The description address of the router that last answered; empty before that.
    const std::string& rememberedDescriptionUrl() const { return descriptionUrl_; }
    // How many SSDP discoveries this object has run.
    int discoveryCount() const { return discoveryCount_; }

    class Collection;

  private:
    std::unique_ptr<Collection> connectRemembered();
    std::unique_ptr<Collection> discover();

    NetworkSession sockets_;
    int discoveryMilliseconds_;
    bool discoveryAllowed_ = true;
    int discoveryCount_ = 0;
    std::string descriptionUrl_;
    std::unique_ptr<Collection> collection_;
};

}  // namespace qz7
