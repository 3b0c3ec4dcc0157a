#include "results/database_component.h"

#include <cstdio>

#include "platform/com.h"

namespace velkor {
namespace {

using platform::Variant;

ComponentOutcome OutcomeOf(HRESULT hr, const Variant& error, const Variant& result) {
  platform::CheckHresult(hr);
  if (result.IsEmpty()) return {true, {}};
  return {false, error.ToAnsi()};
}

template <class Interface>
Interface& Required(const platform::ComPtr<Interface>& component) {
  if (!component) platform::RaiseComError(E_POINTER);
  return *component.get();
}

template <class Interface>
ComponentOutcome ListDatabases(Interface& component, const std::string& configFolder, DatabasePaths& paths) {
  Variant folder(configFolder), count, error, result;
  const HRESULT hr = component.GetDBPaths(*folder.get(), paths.value().receive(), count.receive(),
                                          error.receive(), result.receive());
  return OutcomeOf(hr, error, result);
}

}  // namespace

std::optional<ComponentArray::Bounds> ComponentArray::ArrayBounds() const {
  Bounds bounds{};
  if (!platform::VectorBounds(platform::TextVectorOf(value_), bounds.lower, bounds.upper))
    return std::nullopt;
  return bounds;
}

bool ComponentArray::Unreadable() const { return !value_.IsEmpty() && !ArrayBounds(); }

std::optional<Variant> ComponentArray::Element(long position) const {
  const std::optional<Bounds> bounds = ArrayBounds();
  if (!bounds || position < 0 || position > static_cast<long long>(bounds->upper) - bounds->lower)
    return std::nullopt;
  Variant element;
  if (FAILED(
          platform::GetElementAsVariant(platform::TextVectorOf(value_), bounds->lower + position, element)))
    return std::nullopt;
  return element;
}

std::optional<std::string> ComponentArray::Text(long position) const {
  const std::optional<Variant> element = Element(position);
  if (!element) return std::nullopt;
  return element->ToAnsi();
}

std::optional<long> DatabasePaths::DatabaseCount() const {
  const std::optional<Bounds> bounds = ArrayBounds();
  if (!bounds || bounds->lower < 0 || bounds->upper < 0) return std::nullopt;
  return bounds->upper - bounds->lower + 1;
}

std::optional<std::string> RecordPage::Unreadable() const {
  const auto described = [](const char* what, const ComponentArray& array) {
    char type[16];
    static_cast<void>(
        std::snprintf(type, sizeof type, "0x%04X", static_cast<unsigned>(array.value().type())));
    return std::string("GetRecords handed out the ") + what + " as a value of type " + type +
           ", not an array of texts";
  };
  if (rowKeys.Unreadable()) return described("row keys", rowKeys);
  const std::optional<long> rows = RowCount();
  if (rows && *rows > 0 && !columns[5].ArrayBounds()) return described("function IDs", columns[5]);
  return std::nullopt;
}

std::optional<long> RecordPage::RowCount() const {
  const std::optional<ComponentArray::Bounds> bounds = rowKeys.ArrayBounds();
  if (!bounds || bounds->upper < 0) return std::nullopt;
  return bounds->upper - bounds->lower + 1;
}

namespace {
Variant EmptyElements(long rows) {
  platform::SafeArray elements = platform::SafeArray::CreateVariantVector(static_cast<ULONG>(rows));
  if (!elements) platform::RaiseComError(E_OUTOFMEMORY);
  return platform::VariantOfVector(std::move(elements));
}
}  // namespace

RecordResults::RecordResults(long rows) : statuses_(EmptyElements(rows)), errorCodes_(EmptyElements(rows)) {}

void RecordResults::Set(long row, const std::string& status, const std::string& errorCode) {
  platform::PutVariantElement(platform::VariantVectorOf(statuses_), row, Variant(status));
  platform::PutVariantElement(platform::VariantVectorOf(errorCodes_), row, Variant(errorCode));
}

HRESULT DatabaseComponentClient::Create() {
  return platform::CreateComponent(kDatabaseComponentClassId, component_);
}

DatabaseComponent& DatabaseComponentClient::Component() const { return Required(component_); }

ComponentOutcome DatabaseComponentClient::GetDBPaths(const std::string& configFolder, DatabasePaths& paths) {
  return ListDatabases(Component(), configFolder, paths);
}

ComponentOutcome DatabaseComponentClient::OpenDB(const Variant& path, std::string& recordCount) {
  Variant program(kComponentProgramName), app(kComponentAppCode), count, error, result;
  const HRESULT hr = Component().OpenDB(*path.get(), *program.get(), *app.get(), count.receive(),
                                        error.receive(), result.receive());
  ComponentOutcome outcome = OutcomeOf(hr, error, result);
  recordCount = count.ToAnsi();
  return outcome;
}

ComponentOutcome DatabaseComponentClient::GetRecords(RecordPage& page) {
  Variant app(kComponentAppCode), error, result;
  auto& c = page.columns;
  const HRESULT hr = Component().GetRecords(
      page.rowKeys.value().receive(), app.get(), c[0].value().receive(), c[1].value().receive(),
      c[2].value().receive(), c[3].value().receive(), c[4].value().receive(), c[5].value().receive(),
      c[6].value().receive(), c[7].value().receive(), c[8].value().receive(), c[9].value().receive(),
      c[10].value().receive(), c[11].value().receive(), c[12].value().receive(), c[13].value().receive(),
      c[14].value().receive(), c[15].value().receive(), c[16].value().receive(), c[17].value().receive(),
      c[18].value().receive(), c[19].value().receive(), c[20].value().receive(), c[21].value().receive(),
      c[22].value().receive(), c[23].value().receive(), error.receive(), result.receive());
  return OutcomeOf(hr, error, result);
}

ComponentOutcome DatabaseComponentClient::UpdateRecords(const RecordPage& page,
                                                        const RecordResults& results) {
  Variant reserved, error, result;
  const HRESULT hr = Component().UpdateRecords(*page.rowKeys.value().get(), *results.statuses().get(),
                                               *results.errorCodes().get(), *reserved.get(), error.receive(),
                                               result.receive());
  return OutcomeOf(hr, error, result);
}

ComponentOutcome DatabaseComponentClient::CloseDB() {
  Variant error, result;
  const HRESULT hr = Component().CloseDB(error.receive(), result.receive());
  return OutcomeOf(hr, error, result);
}

HRESULT ResultComponentClient::Create() {
  return platform::CreateComponent(kResultComponentClassId, component_);
}

ResultComponent& ResultComponentClient::Component() const { return Required(component_); }

ComponentOutcome ResultComponentClient::GetDBPaths(const std::string& configFolder, DatabasePaths& paths) {
  return ListDatabases(Component(), configFolder, paths);
}

ComponentOutcome ResultComponentClient::SetMonResults(const Variant& database, const std::string& functionId,
                                                      const std::string& status,
                                                      const std::string& errorCode) {
  Variant program(kComponentProgramName), id(functionId), statusText(status), errorCodeText(errorCode), error,
      result;
  const HRESULT hr =
      Component().SetMonResults(*database.get(), *program.get(), *id.get(), *id.get(), *id.get(),
                                *statusText.get(), *errorCodeText.get(), error.receive(), result.receive());
  return OutcomeOf(hr, error, result);
}

}  // namespace velkor
