#pragma once

#include <QString>
#include <QStringList>

namespace qz7::testing {

// The gateway's own records of its port mappings, each as "PROTO EXT->CLIENT:INT DESC", sorted,
// to compare against what the program asked for.

// The mappings the gateway reports over UPnP (GetGenericPortMappingEntry), read from the
// description address the harness exports; empty when that address is unset.
QStringList mappingsListedByGateway();

// The mappings in the gateway's lease file, the file the harness points IGD_LEASE_FILE at.
QStringList mappingsInLeaseFile();

// The 70 server mappings to client, in the same form.
QStringList expectedServerMappings(const QString& client, int exceptPort = 0,
                                   const QString& exceptProtocol = {});

// True when running inside the harness's LAN namespace; with a gateway when asked.
bool insideHarnessLan();
bool harnessHasGateway();

}  // namespace qz7::testing
