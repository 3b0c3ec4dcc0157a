#include "classify/phrase_tables.h"

#include <iterator>

#include "classify/tool_descriptors.h"

namespace velkor::tables {
namespace {

// One phrase per line, exactly as the tools print it.
// clang-format off
constexpr Keyword kNetShareKeywords[] = {
    {"Netlogon", 0},
    {"Sysvol", 0},
};

constexpr Keyword kDcDiagKeywords[] = {
    {"failed test Connectivity", 1003},
    {"A recent replication attempt failed:", 0},
    {"10 failures have occurred since the last success.", 0},
    {"failed test NetLogons", 1011},
    {"failed test Advertising", 1016},
    {"failed test KnowsOfRoleHolders", 1018},
    {"failed test MachineAccount", 1025},
    {"failed test Services", 1031},
    {"failed test frssysvol", 1053},
    {"failed test frsevent", 1055},
    {"failed test systemlog", 1057},
    {"failed test FsmoCheck", 1072},
    {"failed test kccevent", 1114},
};

constexpr Keyword kNetDiagKeywords[] = {
    {"NetBT transports test. . . . . . . : Failed", 1080},
    {"Autonet address test . . . . . . . : Failed", 1082},
    {"NetBT name test. . . . . . : Failed", 1085},
    {"DNS test . . . . . . . . . . . . . : Failed", 1088},
    {"Redir and Browser test . . . . . . : Failed", 1096},
    {"DC discovery test  . . . . . . . . : Failed", 1098},
    {"DC list test . . . . . . . . . . . : Failed", 1099},
    {"Kerberos test. . . . . . . . . . . : Failed", 1103},
    {"LDAP test. . . . . . . . . . . . . : Failed", 1104},
    {"Bindings test. . . . . . . . . . . : Failed", 1107},
    {"Domain membership test . . . . . . : Failed", 1125},
    {"Default gateway test . . . . . . . : Failed", 1127},
};

constexpr Keyword kPolicyKeywords[] = {
    {"Policy OK", 0},
};

constexpr Keyword kRepAdminKeywords[] = {
    {"10 consecutive failure(s).", 0},
};

constexpr std::string_view kConnectivityDetails[] = {
    "could not confirm the identity of this server in",
    "The host * could not be resolved to an",
    "resolved to the IP address *, which could not be pinged,",
};

constexpr std::string_view kRecentReplicationDetails[] = {
    "DsBindWithSpnEx() failed with error 1722",
};

constexpr std::string_view kNetLogonsDetails[] = {
    "Unable to connect to the NETLOGON share!",
    "An net use or LsaPolicy operation failed with error 53, The network path was not found..",
    "An net use or LsaPolicy operation failed with error 1203, No network provider accepted the given network path..",
    "An net use or LsaPolicy operation failed with error 5, Access is denied..",
};

constexpr std::string_view kAdvertisingDetails[] = {
    "is not advertising as a time server.",
    "Warning: * is not advertising as a global catalog.",
    "Server is not responding or is not considered suitable.",
};

constexpr std::string_view kKnowsOfRoleHoldersDetails[] = {
    "is the Schema Owner, but is deleted.",
    "is the Schema Owner, but is not responding to DS RPC Bind",
    "LDAP search failed with error 58, The specified server cannot perform the requested operation..",
    "is the Schema Owner, but is not responding to LDAP Bind.",
    "is the Domain Owner, but is not responding to DS RPC Bind.",
    "is the Domain Owner, but is not responding to LDAP Bind.",
    "Infrastructure Update Owner, but is deleted",
};

constexpr std::string_view kMachineAccountDetails[] = {
    "The current DC is not in the domain controller's OU",
    "Could not open pipe with * :failed with 5: Access is denied.",
    "Could not get NetBIOSDomainName",
    "Failed can not test for HOST SPN",
    "* Missing SPN :(null)",
    "Warning:  Attribute userAccountControl of <*> is: 0x81000 = ( UF_WORKSTATION_TRUST_ACCOUNT | UF_TRUSTED_FOR_DELEGATION )",
    "Warning: Attribute userAccountControl of <*> is: 0x82020 = ( UF_PASSWD_NOTREQD | UF_SERVER_TRUST_ACCOUNT |UF_TRUSTED_FOR_DELEGATION )",
};

constexpr std::string_view kKccEventDetails[] = {
    "An Warning Event occured.  EventID: 0x80000749",
    "An Error Event occured.  EventID: 0xC000051F",
    "An Warning Event occured.  EventID: 0x8000061E",
    "An Error Event occured.  EventID: 0xC0000520",
    "An Warning Event occured.  EventID: 0x80000581",
    "An Error Event occured.  EventID: 0xC000055D",
    "An Warning Event occurred. EventID: 0x80000785",
    "An Warning Event occurred EventID: 0x800004A4",
    "An Warning Event occurred.EventID: 0x800004D0",
    "An Warning Event occurred.  EventID: 0x800004C0",
};

constexpr std::string_view kServicesDetails[] = {
    "Could not open Remote ipc to [SERVER NAME]:failed with 5: Access is denied.",
    "Dnscache service is stopped",
    "Dnscache service is paused",
    "NtFrs service is stopped",
    "NtFrs service is paused",
    "IsmServ service is stopped",
    "IsmServ service is paused",
    "kdc service is stopped",
    "kdc service is paused",
    "SamSs service is stopped",
    "SamSs service is paused",
    "LanmanServer service is stopped",
    "LanmanServer service is paused",
    "LanmanWorkstation service is stopped",
    "LanmanWorkstation service is paused",
    "RpcSs service is stopped",
    "RpcSs service is paused",
    "w32time service is stopped",
    "w32time service is paused",
    "NETLOGON service is stopped",
    "NETLOGON service is paused",
};

constexpr std::string_view kFrsSysvolDetails[] = {
    "An net use or LsaPolicy operation failed with error 5, Access is denied..",
};

constexpr std::string_view kFrsEventDetails[] = {
    "There are warning or error events within the last 24 hours",
};

constexpr std::string_view kFsmoCheckDetails[] = {
    "Warning: DcGetDcName(TIME_SERVER) call failed, error 1355",
    "A Time Server could not be located.",
    "The server holding the PDC role is down.",
    "A Good Time Server could not be located.",
    "Warning: DcGetDcName(GOOD_TIME_SERVER_PREFERRED) call failed, error 1355",
    "Warning: DcGetDcName(GC_SERVER_REQUIRED) call failed, error 1355",
    "A Global Catalog Server could not be located - All GC's are down.",
};

constexpr std::string_view kNetBtTransportsDetails[] = {
    "No NetBt transports are configured.",
};

constexpr std::string_view kAutonetAddressDetails[] = {
    "All adapters are autoconfigured.",
    "The DHCP servers are unreachable. Please check cables, hubs, and taps.",
};

constexpr std::string_view kNetBtNameDetails[] = {
    "At least one of your NetBT names is not registered properly.",
    "No remote names have been found.",
};

constexpr std::string_view kDnsDetails[] = {
    "Cannot find a primary authoritative DNS server for the name",
    "File * contains invalid DNS entries.",
    "The DNS entries for this DC are not registered correctly on DNS server",
    "The DNS entries for this DC cannot be verified right now on DNS server",
    "No DNS servers have the DNS records for this DC registered.",
    "Could not open file * for reading.",
    "The DNS registration for * is incorrect on all DNS servers.",
};

constexpr std::string_view kRedirAndBrowserDetails[] = {
    "Cannot send mailslot message to * via browser.",
};

constexpr std::string_view kDcListDetails[] = {
    "Failed to enumerate DCs by using the browser.",
    "Failed to enumerate DCs by using the browser.",
    "Failed to enumerate DCs by using the browser.",
};

constexpr std::string_view kLdapDetails[] = {
    "The default SPN registration for * is missing on DC * .",
    "The default SPNs are not properly registered on any DCs.",
    "Failed to query SPN registration on DC",
};

constexpr std::string_view kDefaultGatewayDetails[] = {
    "NO GATEWAYS ARE REACHABLE.",
};

constexpr std::string_view kDcDiscoveryDetails[] = {
    "Cannot find DC in domain * ",
};

constexpr std::string_view kKerberosDetails[] = {
    "Kerberos does not have a ticket for *",
};

constexpr SubKeywordList kSubKeywordLists[] = {
    {"failed test Connectivity", kConnectivityDetails},
    {"A recent replication attempt failed:", kRecentReplicationDetails},
    {"failed test NetLogons", kNetLogonsDetails},
    {"failed test Advertising", kAdvertisingDetails},
    {"failed test KnowsOfRoleHolders", kKnowsOfRoleHoldersDetails},
    {"failed test MachineAccount", kMachineAccountDetails},
    {"failed test kccevent", kKccEventDetails},
    {"failed test Services", kServicesDetails},
    {"failed test frssysvol", kFrsSysvolDetails},
    {"failed test frsevent", kFrsEventDetails},
    {"failed test FsmoCheck", kFsmoCheckDetails},
    {"NetBT transports test. . . . . . . : Failed", kNetBtTransportsDetails},
    {"Autonet address test . . . . . . . : Failed", kAutonetAddressDetails},
    {"NetBT name test. . . . . . : Failed", kNetBtNameDetails},
    {"DNS test . . . . . . . . . . . . . : Failed", kDnsDetails},
    {"Redir and Browser test . . . . . . : Failed", kRedirAndBrowserDetails},
    {"DC list test . . . . . . . . . . . : Failed", kDcListDetails},
    {"LDAP test. . . . . . . . . . . . . : Failed", kLdapDetails},
    {"Default gateway test . . . . . . . : Failed", kDefaultGatewayDetails},
    {"DC discovery test  . . . . . . . . : Failed", kDcDiscoveryDetails},
    {"Kerberos test. . . . . . . . . . . : Failed", kKerberosDetails},
};

constexpr PhraseFunctionId kSubKeywordFunctionIds[] = {
    {1012, "Unable to connect to the NETLOGON share!"},
    {1013, "An net use or LsaPolicy operation failed with error 53, The network path was not found.."},
    {1014, "An net use or LsaPolicy operation failed with error 1203, No network provider accepted the given network path.."},
    {1015, "An net use or LsaPolicy operation failed with error 5, Access is denied.."},
    {1019, "is the Schema Owner, but is deleted."},
    {1020, "is the Schema Owner, but is not responding to DS RPC Bind"},
    {1021, "LDAP search failed with error 58, The specified server cannot perform the requested operation.."},
    {1023, "is the Domain Owner, but is not responding to DS RPC Bind."},
    {1024, "is the Domain Owner, but is not responding to LDAP Bind."},
    {1026, "The current DC is not in the domain controller's OU"},
    {1029, "Failed can not test for HOST SPN"},
    {1032, "Could not open Remote ipc to [SERVER NAME]:failed with 5: Access is denied."},
    {1033, "Dnscache service is stopped"},
    {1034, "Dnscache service is paused"},
    {1035, "NtFrs service is stopped"},
    {1036, "NtFrs service is paused"},
    {1037, "IsmServ service is stopped"},
    {1038, "IsmServ service is paused"},
    {1039, "kdc service is stopped"},
    {1040, "kdc service is paused"},
    {1041, "SamSs service is stopped"},
    {1042, "SamSs service is paused"},
    {1043, "LanmanServer service is stopped"},
    {1044, "LanmanServer service is paused"},
    {1045, "LanmanWorkstation service is stopped"},
    {1046, "LanmanWorkstation service is paused"},
    {1047, "RpcSs service is stopped"},
    {1048, "RpcSs service is paused"},
    {1049, "w32time service is stopped"},
    {1050, "w32time service is paused"},
    {1051, "NETLOGON service is stopped"},
    {1052, "NETLOGON service is paused"},
    {1056, "There are warning or error events within the last 24 hours"},
    {1074, "A Time Server could not be located."},
    {1076, "A Good Time Server could not be located."},
    {1077, "Warning: DcGetDcName(GOOD_TIME_SERVER_PREFERRED) call failed, error 1355"},
    {1078, "Warning: DcGetDcName(GC_SERVER_REQUIRED) call failed, error 1355"},
    {1079, "A Global Catalog Server could not be located - All GC's are down."},
    {1081, "No NetBt transports are configured."},
    {1083, "All adapters are autoconfigured"},
    {1084, "The DHCP servers are unreachable"},
    {1086, "At least one of your NetBT names is not registered properly."},
    {1087, "No remote names have been found."},
    {1089, "Cannot find a primary authoritative DNS server for the name"},
    {1090, "File \\config\\netlogon.dns contains invalid DNS entries."},
    {1091, "No DNS servers have the DNS records for this DC registered."},
    {1092, "The DNS entries for this DC are not registered correctly on DNS server"},
    {1093, "The DNS entries for this DC cannot be verified right now on DNS server"},
    {1095, "Could not open file *netlogon.dns for reading."},
    {1097, "Cannot send mailslot message to * via browser."},
    {1100, "Failed to enumerate DCs by using the browser. [ERROR_NETNAME_DELETED]"},
    {1101, "Failed to enumerate DCs by using the browser. [ERROR_NO_BROWSER_SERVERS_FOUND]"},
    {1102, "Failed to enumerate DCs by using the browser. [ERROR_BAD_NETPATH]"},
    {1105, "The default SPN registration for 'HOST/SERVER' is missing on DC 'SERVER'."},
    {1106, "The default SPNs are not properly registered on any DCs."},
    {1116, "An Error Event occured.  EventID: 0xC000051F"},
    {1119, "An Error Event occured.  EventID: 0xC0000520"},
    {1120, "An Warning Event occured.  EventID: 0x80000581"},
    {1121, "An Error Event occured.  EventID: 0xC000055D"},
    {1122, "Infrastructure Update Owner, but is deleted"},
    {1123, "Warning:  Attribute userAccountControl of <*> is: 0x81000 = ( UF_WORKSTATION_TRUST_ACCOUNT | UF_TRUSTED_FOR_DELEGATION )"},
    {1124, "Warning: Attribute userAccountControl of <*> is: 0x82020 = ( UF_PASSWD_NOTREQD | UF_SERVER_TRUST_ACCOUNT |UF_TRUSTED_FOR_DELEGATION )"},
    {1126, "Ths system volume has not been completely replicated to the local machine. This machine is not working properly as a DC."},
    {1128, "NO GATEWAYS ARE REACHABLE."},
    {1129, "The DNS registration for * is incorrect on all DNS servers."},
    {1130, "Cannot find DC in domain * "},
    {1131, "Kerberos does not have a ticket for *"},
    {1134, "Failed to query SPN registration on DC"},
    {1137, "An Warning Event occurred. EventID: 0x80000785"},
    {1138, "An Warning Event occurred EventID: 0x800004A4"},
    {1139, "An Warning Event occurred.EventID: 0x800004D0"},
    {1140, "An Warning Event occurred.  EventID: 0x800004C0"},
};
// clang-format on

constexpr Keyword kQuickRunShareKeywords[] = {{"NETLOGON", 0}, {"SYSVOL", 0}};
constexpr Keyword kQuickRunConnectivityKeywords[] = {{"failed test Connectivity", 0}};
// Only the first place holds a phrase; the other two go to the search component as empty values.
constexpr std::string_view kQuickRunConnectivitySubKeywords[] = {
    "could not confirm the identity of this server in", "", ""};

constexpr FunctionIdRange kNetShareIds[] = {{1001, 1001}};
constexpr FunctionIdRange kDcDiagIds[] = {{1003, 1079}, {1109, 1124}};
constexpr FunctionIdRange kNetDiagIds[] = {{1080, 1107}, {1125, 1131}, {1134, 1134}};
constexpr FunctionIdRange kDomainPolicyIds[] = {{1132, 1132}};
constexpr FunctionIdRange kRepAdminIds[] = {{1108, 1108}};
constexpr FunctionIdRange kDomainControllerPolicyIds[] = {{1133, 1133}};

// The lines of a complete English report, found whatever the verdicts:
// dcdiag's verdict of each test (its full run and its connectivity test
// alone), netdiag's verdict after the dot leader of a test, the header of
// repadmin's replication partners. A report in another language, cut off
// before its first verdict, empty or a usage text has none of them. The
// share listing and the policy checks need none: a missing share or a
// missing "Policy OK" is a failure already.
constexpr std::string_view kDcDiagReportLines[] = {"passed test", "failed test"};
constexpr std::string_view kNetDiagReportLines[] = {". : Passed", ". : Failed"};
constexpr std::string_view kRepAdminReportLines[] = {"INBOUND NEIGHBORS"};

}  // namespace

std::span<const SubKeywordList> SubKeywordLists() { return kSubKeywordLists; }
std::span<const PhraseFunctionId> SubKeywordFunctionIds() { return kSubKeywordFunctionIds; }

}  // namespace velkor::tables

namespace velkor {
namespace {

using tables::kDcDiagIds;
using tables::kDcDiagKeywords;
using tables::kDcDiagReportLines;
using tables::kDomainControllerPolicyIds;
using tables::kDomainPolicyIds;
using tables::kNetDiagIds;
using tables::kNetDiagKeywords;
using tables::kNetDiagReportLines;
using tables::kNetShareIds;
using tables::kNetShareKeywords;
using tables::kPolicyKeywords;
using tables::kQuickRunConnectivityKeywords;
using tables::kQuickRunConnectivitySubKeywords;
using tables::kQuickRunShareKeywords;
using tables::kRepAdminIds;
using tables::kRepAdminKeywords;
using tables::kRepAdminReportLines;
using J = Judgement;
using F = StandardFolder;

// Every tool the program starts, in one place: the full run's six tool
// kinds in their order, the quick run's two runs and the PDC role query.
// The two policy checks run one executable with two parameter texts (the
// second with two leading blanks) into two files.
constexpr ToolDescriptor kFullRunTools[] = {
    {.executable = "net",
     .parameters = " share",
     .outputPath = "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_NetShare.txt",
     .keywords = kNetShareKeywords,
     .details = {},
     .errorCodeRanges = kNetShareIds,
     .reportLines = {},
     .kind = NetShare,
     .fixedFunctionId = 1001,
     .judgement = J::MissingIsFailure,
     .folder = F::None,
     .runs = Runs::FullRun,
     .confirmShares = true,
     .wrapsVerdicts = false},
    {.executable = "dcdiag.exe",
     .parameters = "",
     .outputPath = "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_DCDiag.txt",
     .keywords = kDcDiagKeywords,
     .details = {},
     .errorCodeRanges = kDcDiagIds,
     .reportLines = kDcDiagReportLines,
     .kind = DcDiag,
     .fixedFunctionId = 0,
     .judgement = J::FoundIsFailure,
     .folder = F::SupportTools,
     .runs = Runs::FullRun,
     .confirmShares = false,
     .wrapsVerdicts = true},
    {.executable = "netdiag.exe",
     .parameters = "",
     .outputPath = "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_NetDiag.txt",
     .keywords = kNetDiagKeywords,
     .details = {},
     .errorCodeRanges = kNetDiagIds,
     .reportLines = kNetDiagReportLines,
     .kind = NetDiag,
     .fixedFunctionId = 0,
     .judgement = J::FoundIsFailure,
     .folder = F::SupportTools,
     .runs = Runs::FullRunBeforeVersion6,
     .confirmShares = false,
     .wrapsVerdicts = false},
    {.executable = "gpotool.exe",
     .parameters = " /gpo:{31B2F340-016D-11D2-945F-00C04FB984F9}",
     .outputPath = "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_GpoTool_Default_Domain_Policy.txt",
     .keywords = kPolicyKeywords,
     .details = {},
     .errorCodeRanges = kDomainPolicyIds,
     .reportLines = {},
     .kind = GpoDomainPolicy,
     .fixedFunctionId = 1132,
     .judgement = J::MissingIsFailure,
     .folder = F::ResourceKit,
     .runs = Runs::FullRunOnPdcRoleHolder,
     .confirmShares = false,
     .wrapsVerdicts = false},
    {.executable = "repadmin",
     .parameters = " /showreps",
     .outputPath = "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_repadmin.txt",
     .keywords = kRepAdminKeywords,
     .details = {},
     .errorCodeRanges = kRepAdminIds,
     .reportLines = kRepAdminReportLines,
     .kind = RepAdmin,
     .fixedFunctionId = 1108,
     .judgement = J::FailureCount,
     .folder = F::SupportTools,
     .runs = Runs::FullRun,
     .confirmShares = false,
     .wrapsVerdicts = false},
    {.executable = "gpotool.exe",
     .parameters = "  /gpo:{6AC1786C-016F-11D2-945F-00C04FB984F9}",
     .outputPath = "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_Default_Domain_Controller_Policy.txt",
     .keywords = kPolicyKeywords,
     .details = {},
     .errorCodeRanges = kDomainControllerPolicyIds,
     .reportLines = {},
     .kind = GpoDomainControllerPolicy,
     .fixedFunctionId = 1133,
     .judgement = J::MissingIsFailure,
     .folder = F::ResourceKit,
     .runs = Runs::FullRunOnPdcRoleHolder,
     .confirmShares = false,
     .wrapsVerdicts = false},
};

// The quick run's output files end in its rotation number and ".txt"; the
// role query's lies in the agent's folder, the others in its log folder.
constexpr ToolDescriptor kQuickShareListing{
    .executable = "Net",
    .parameters = " share",
    .outputPath = "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_NetShare",
    .keywords = kQuickRunShareKeywords,
    .details = {},
    .errorCodeRanges = kNetShareIds,
    .reportLines = {},
    .kind = NetShare,
    .fixedFunctionId = 0,
    .judgement = J::MissingIsFailure,
    .folder = F::None,
    .runs = Runs::QuickRun,
    .confirmShares = true,
    .wrapsVerdicts = false};
constexpr ToolDescriptor kQuickConnectivityTest{
    .executable = "DcDiag.exe",
    .parameters = "/test:Connectivity",
    .outputPath = "nexagent\\ApplicationLog\\Velkor\\VelkorTemp_DcDiag_testConnectivity",
    .keywords = kQuickRunConnectivityKeywords,
    .details = kQuickRunConnectivitySubKeywords,
    .errorCodeRanges = kDcDiagIds,
    .reportLines = kDcDiagReportLines,
    .kind = DcDiag,
    .fixedFunctionId = 0,
    .judgement = J::FoundIsFailure,
    .folder = F::SupportTools,
    .runs = Runs::QuickRun,
    .confirmShares = false,
    .wrapsVerdicts = true};
constexpr ToolDescriptor kRoleHolderQuery{.executable = "netdom",
                                          .parameters = "query fsmo",
                                          .outputPath = "Nexagent\\NetDom.txt",
                                          .keywords = {},
                                          .details = {},
                                          .errorCodeRanges = {},
                                          .reportLines = {},
                                          .kind = -1,
                                          .fixedFunctionId = 0,
                                          .judgement = J::FoundIsFailure,
                                          .folder = F::None,
                                          .runs = Runs::PdcRoleDetection,
                                          .confirmShares = false,
                                          .wrapsVerdicts = false};

}  // namespace

std::span<const ToolDescriptor> FullRunTools() { return kFullRunTools; }
const ToolDescriptor* FullRunTool(int kind) {
  return kind >= 0 && kind < static_cast<int>(std::size(kFullRunTools)) ? &kFullRunTools[kind] : nullptr;
}
const ToolDescriptor& QuickShareListing() { return kQuickShareListing; }
const ToolDescriptor& QuickConnectivityTest() { return kQuickConnectivityTest; }
const ToolDescriptor& RoleHolderQuery() { return kRoleHolderQuery; }

}  // namespace velkor
