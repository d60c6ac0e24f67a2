// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a file or text into prices, for the estimation window's view.
#include <algorithm>
#include <fstream>
#include <utility>

#include "window/estimation/estimation_view.h"

namespace cotalia {

namespace {

// How much of a reading each step takes, for the progress bar: a file's
// bytes a quarter; of the rest, the table three fifths and the prices the
// others.
constexpr double kBytesShare = 0.25;
constexpr double kTableShareOfRest = 0.6;

// A part of the progress from `from` to `to`.
ReadProgress Part(const ReadProgress& progress, double from, double to) {
  if (!progress) return {};
  return [&progress, from, to](double done) { return progress(from + (to - from) * done); };
}

// A problem that lies in no line.
HistoryProblem LinelessProblem(HistoryProblem::Kind kind) {
  HistoryProblem problem{};
  problem.kind = kind;
  return problem;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "«";
  quoted += text;
  quoted += "»";
  return quoted;
}

std::string ColumnText(const HistoryProblem& problem) {
  return problem.column.empty() ? std::string() : ", columna " + Quoted(problem.column);
}

// The prices of one column, or what keeps them from being read.
std::variant<std::shared_ptr<const ReadHistory>, HistoryProblem> HistoryAt(const PriceTable& table,
                                                                           std::size_t column,
                                                                           const ReadProgress& progress) {
  std::variant<PriceHistory, HistoryProblem> read = HistoryOf(table, column, progress);
  if (auto* problem = std::get_if<HistoryProblem>(&read)) return std::move(*problem);
  auto history = std::make_shared<ReadHistory>();
  history->history = std::move(std::get<PriceHistory>(read));
  history->returns = LogReturnsOf(history->history.prices);
  return history;
}

bool WasCancelled(const std::variant<std::shared_ptr<const ReadHistory>, HistoryProblem>& history) {
  const auto* problem = std::get_if<HistoryProblem>(&history);
  return problem != nullptr && problem->kind == HistoryProblem::Kind::Cancelled;
}

// The table in the bytes and the prices of its default column.
// The bytes are handed over, so that the table's text can be the bytes
// themselves: a file is in memory once, not twice.
EstimationState ReadBytes(std::string source, std::string bytes, const ReadProgress& progress, double from) {
  const double tableDone = from + (1 - from) * kTableShareOfRest;
  std::variant<PriceTable, HistoryProblem> table = TableOf(std::move(bytes), Part(progress, from, tableDone));
  if (const auto* problem = std::get_if<HistoryProblem>(&table)) {
    if (problem->kind == HistoryProblem::Kind::Cancelled) return MessageOf(*problem);
    return Quoted(source) + ": " + MessageOf(*problem);
  }
  LoadedPrices loaded;
  loaded.source = std::move(source);
  loaded.table = std::make_shared<const PriceTable>(std::move(std::get<PriceTable>(table)));
  loaded.column = loaded.table->priceColumn;
  loaded.history = HistoryAt(*loaded.table, loaded.column, Part(progress, tableDone, 1));
  if (WasCancelled(loaded.history)) return MessageOf(std::get<HistoryProblem>(loaded.history));
  return loaded;
}

// A file's name as the window shows it: UTF-8 on every platform.
std::string NameOf(const std::filesystem::path& path) {
  const std::u8string name = path.filename().u8string();
  return {name.begin(), name.end()};
}

}  // namespace

std::string MessageOf(const HistoryProblem& problem) {
  using Kind = HistoryProblem::Kind;
  const std::string line = "Línea " + std::to_string(problem.line) + ColumnText(problem) + ": ";
  switch (problem.kind) {
    case Kind::NotText:
      return "No es un archivo de texto: contiene bytes nulos.";
    case Kind::TooLarge:
      return "El archivo pasa de 1 GiB, el mayor que se lee.";
    case Kind::NoRows:
      return "No hay filas de precios.";
    case Kind::NoPriceColumn:
      return "Ninguna columna contiene números.";
    case Kind::NotANumber:
      return line + "el precio no es un número.";
    case Kind::NotPositive:
      return line + "el precio debe ser mayor que cero.";
    case Kind::NotADate:
      return line + "no es una fecha.";
    case Kind::SameDate:
      return "Líneas " + std::to_string(problem.otherLine) + " y " + std::to_string(problem.line) +
             ColumnText(problem) + ": la misma fecha dos veces.";
    case Kind::FewerThanThreePrices:
      return "Hacen falta al menos tres precios; hay " + std::to_string(problem.count) + ".";
    case Kind::Cancelled:
      break;
  }
  return "Lectura cancelada.";
}

EstimationState ReadPriceFile(const std::filesystem::path& path, const ReadProgress& progress) {
  const std::string name = NameOf(path);
  const std::string unreadable = "No se puede leer el archivo " + Quoted(name) + ".";
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return unreadable;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return unreadable;
  if (size > kLargestHistoryBytes) {
    return Quoted(name) + ": " + MessageOf(LinelessProblem(HistoryProblem::Kind::TooLarge));
  }
  std::string bytes;
  {
    std::ifstream file(path, std::ios::binary);
    if (!file) return unreadable;
    bytes.resize(static_cast<std::size_t>(size));
    // In pieces, so that a large file shows its progress and can be cancelled.
    constexpr std::size_t kPiece = std::size_t{1} << 22;
    std::size_t read = 0;
    while (read < bytes.size()) {
      const std::size_t piece = std::min(kPiece, bytes.size() - read);
      file.read(bytes.data() + read, static_cast<std::streamsize>(piece));
      read += static_cast<std::size_t>(file.gcount());
      if (!file) break;
      if (progress && !progress(kBytesShare * static_cast<double>(read) / static_cast<double>(size))) {
        return MessageOf(LinelessProblem(HistoryProblem::Kind::Cancelled));
      }
    }
    if (file.bad()) return unreadable;
    // A file that shrank while it was read: what it held.
    bytes.resize(read);
  }
  return ReadBytes(name, std::move(bytes), progress, kBytesShare);
}

EstimationState ReadPriceText(std::string_view text, const ReadProgress& progress) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    return std::string("El portapapeles no contiene texto.");
  }
  return ReadBytes(std::string(kClipboardSource), std::string(text), progress, 0);
}

EstimationState ReadPriceColumn(const LoadedPrices& loaded, std::size_t column,
                                const ReadProgress& progress) {
  LoadedPrices read = loaded;
  read.column = column;
  read.history = HistoryAt(*loaded.table, column, progress);
  if (WasCancelled(read.history)) return MessageOf(std::get<HistoryProblem>(read.history));
  return read;
}

}  // namespace cotalia
