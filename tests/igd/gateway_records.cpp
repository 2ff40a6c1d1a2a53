#include "gateway_records.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>

#include <QFile>
#include <array>

namespace qz7::testing {

namespace {

QString mappingLine(const QString& protocol, const QString& externalPort, const QString& client,
                    const QString& internalPort, const QString& description) {
    return QStringLiteral("%1 %2->%3:%4 %5")
        .arg(protocol, externalPort, client, internalPort, description);
}

}  // namespace

QStringList mappingsListedByGateway() {
    const QByteArray url = qgetenv("IGD_DESCRIPTION_URL");
    if (url.isEmpty()) return {};
    UPNPUrls urls{};
    IGDdatas data{};
    std::array<char, 64> lanAddress{};
    QStringList listed;
    if (UPNP_GetIGDFromUrl(url.constData(), &urls, &data, lanAddress.data(),
                           int(lanAddress.size())) != 1)
        return {QStringLiteral("gateway not reachable")};
    for (int index = 0; index < 1000; ++index) {
        std::array<char, 16> externalPort{}, internalPort{}, protocol{}, enabled{}, duration{};
        std::array<char, 64> client{}, remoteHost{};
        std::array<char, 256> description{};
        const int code = UPNP_GetGenericPortMappingEntry(
            urls.controlURL, data.first.servicetype, std::to_string(index).c_str(),
            externalPort.data(), client.data(), internalPort.data(), protocol.data(),
            description.data(), enabled.data(), remoteHost.data(), duration.data());
        if (code != UPNPCOMMAND_SUCCESS) break;
        listed << mappingLine(protocol.data(), externalPort.data(), client.data(),
                              internalPort.data(), description.data());
    }
    FreeUPNPUrls(&urls);
    listed.sort();
    return listed;
}

QStringList mappingsInLeaseFile() {
    QFile file(QString::fromLocal8Bit(qgetenv("IGD_LEASE_FILE")));
    if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("no lease file")};
    QStringList leases;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty()) continue;
        // PROTO:EXT:CLIENT:INT:TIMESTAMP:DESCRIPTION
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() < 6) {
            leases << QString::fromUtf8(line);
            continue;
        }
        leases << mappingLine(fields[0], fields[1], fields[2], fields[3],
                              QString::fromUtf8(fields.mid(5).join(':')));
    }
    leases.sort();
    return leases;
}

QStringList expectedServerMappings(const QString& client, int exceptPort,
                                   const QString& exceptProtocol) {
    QList<QPair<QString, int>> ports = {{"TCP", 3074}, {"UDP", 3074}};
    for (int port = 27014; port <= 27050; ++port) ports.append({"TCP", port});
    for (int port = 27000; port <= 27030; ++port) ports.append({"UDP", port});
    QStringList expected;
    for (const auto& [protocol, port] : ports) {
        if (port == exceptPort && protocol == exceptProtocol) continue;
        expected << mappingLine(protocol, QString::number(port), client, QString::number(port),
                                QStringLiteral("QZ7"));
    }
    expected.sort();
    return expected;
}

bool insideHarnessLan() { return !qgetenv("IGD_LAN_ADDRESS").isEmpty(); }

bool harnessHasGateway() { return !qgetenv("IGD_DESCRIPTION_URL").isEmpty(); }

}  // namespace qz7::testing
