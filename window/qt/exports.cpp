// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qt/exports.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QSaveFile>
#include <QStorageInfo>
#include <filesystem>

#include "window/charts/chart_svg.h"
#include "window/estimation/estimation_description.h"
#include "window/exports/clipboard_table.h"
#include "window/qt/described_window.h"
#include "window/qt/qt_text.h"

namespace cotalia {

namespace {

constexpr char kSvgMimeType[] = "image/svg+xml";

// The kind of a filter the dialog reports; the first for one it does not
// list, as a platform's own dialog may report.
std::size_t KindOfFilter(const QStringList& filters, const QString& filter) {
  const qsizetype index = filters.indexOf(filter);
  return index < 0 ? 0 : static_cast<std::size_t>(index);
}

// Why QSaveFile could not save the file: the new file it could not make
// beside the chosen one says, where the folder is there, that it may not be
// written; else the folder is not there. Of a write refused, Qt tells a
// full disk only in words in the user's language: the disk's room says it.
SaveFailure FailureOf(const QSaveFile& file, const QString& path, qint64 size) {
  const QFileInfo chosen(path);
  if (chosen.isDir()) return SaveFailure::Other;
  const QString folder = chosen.absolutePath();
  if (!QFileInfo(folder).isDir()) return SaveFailure::NoFolder;
  if (file.error() == QFileDevice::OpenError || file.error() == QFileDevice::PermissionsError) {
    return SaveFailure::NoPermission;
  }
  if (file.error() == QFileDevice::ResourceError || QStorageInfo(folder).bytesAvailable() < size) {
    return SaveFailure::NoRoom;
  }
  return SaveFailure::Other;
}

}  // namespace

void PutOnClipboard(const std::string& text, std::span<const Figure> rows) {
  auto* data = new QMimeData;
  data->setText(QStringOf(text));
  data->setHtml(QStringOf(HtmlTableOf(rows)));
  QApplication::clipboard()->setMimeData(data);
}

void CopyFigures(std::span<const Figure> figures) { PutOnClipboard(FiguresText(figures, "\n"), figures); }

QByteArray PngOf(const QImage& image) {
  // Light compression: a chart is mostly flat colour, which the lightest
  // levels already pack, in a third of the default level's time.
  constexpr int kQuality = 80;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG", kQuality)) return {};
  return bytes;
}

// Opaque, as the chart is on screen: no alpha channel to write.
QImage ChartImage(const ChartWidget& chart, int scale) {
  QImage image(chart.size() * scale, QImage::Format_RGB32);
  image.setDevicePixelRatio(scale);
  QPainter painter(&image);
  PaintChart(painter, chart);
  return image;
}

std::string ChartSvg(const ChartWidget& chart) {
  const ChartArea area = SvgArea(chart.width(), chart.height());
  return SvgOf(chart.drawing(area, SvgTextWidth(kSvgFontPixels)), area, chart.accessibleName().toStdString());
}

void CopyChart(const ChartWidget& chart) {
  auto* data = new QMimeData;
  data->setImageData(ChartImage(chart, 1));
  const std::string svg = ChartSvg(chart);
  data->setData(kSvgMimeType, QByteArray(svg.data(), static_cast<qsizetype>(svg.size())));
  QApplication::clipboard()->setMimeData(data);
}

std::optional<std::string> SaveChart(const ChartWidget& chart, const QString& path,
                                     const ChartFileKind& kind) {
  std::string bytes;
  if (kind.format == ChartFileFormat::Svg) {
    bytes = ChartSvg(chart);
  } else {
    const QByteArray png = PngOf(ChartImage(chart, kind.scale));
    if (png.isEmpty()) return std::string(kChartNotDrawn);
    bytes.assign(png.constData(), static_cast<std::size_t>(png.size()));
  }
  return SaveFileWhole(path, bytes);
}

std::optional<std::string> SaveFileWhole(const QString& path, std::string_view bytes) {
  QSaveFile file(path);
  const auto size = static_cast<qint64>(bytes.size());
  if (file.open(QIODevice::WriteOnly) && file.write(bytes.data(), size) == size && file.commit()) {
    return std::nullopt;
  }
  // Not committed: the destructor removes the new file.
  return SaveFailureMessage(std::filesystem::path(path.toStdU16String()), FailureOf(file, path, size));
}

void RunChartWindowCommand(MenuCommand command, QWidget* window, std::span<const Figure> figures,
                           const ChartWidget& chart) {
  switch (command) {
    case MenuCommand::CopyFigures:
      CopyFigures(figures);
      break;
    case MenuCommand::CopyChart:
      CopyChart(chart);
      break;
    case MenuCommand::SaveChart:
      SaveChartAs(window, chart);
      break;
    case MenuCommand::Close:
      window->close();
      break;
    default:
      break;
  }
}

// Opened, not run, as the About box is: the menu action returns at once.
void AskForPriceFile(QWidget* owner, const std::function<void(const QString&)>& open) {
  auto* dialog = new QFileDialog(owner, QStringOf(kOpenPricesTitle));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileMode(QFileDialog::ExistingFile);
  QStringList filters;
  for (const FileFilter& filter : kPriceFileFilters) {
    filters << QStringOf(filter.name) + QStringLiteral(" (") + QStringOf(filter.patterns).replace(';', ' ') +
                   QStringLiteral(")");
  }
  dialog->setNameFilters(filters);
  QObject::connect(dialog, &QFileDialog::fileSelected, owner, open);
  dialog->open();
}

void SaveChartAs(QWidget* window, const ChartWidget& chart) {
  auto* dialog = new QFileDialog(window, QStringOf(kSaveChartTitle));
  dialog->setObjectName(QStringLiteral("saveChart"));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  QStringList filters;
  for (const ChartFileKind& kind : kChartFileKinds) filters << QStringOf(kind.caption);
  dialog->setNameFilters(filters);
  dialog->setDefaultSuffix(QStringOf(kChartFileKinds.front().extension));
  QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog, filters](const QString& filter) {
    dialog->setDefaultSuffix(QStringOf(kChartFileKinds[KindOfFilter(filters, filter)].extension));
  });
  // The chart may close with its window while the dialog is open.
  const QPointer<const ChartWidget> target(&chart);
  QObject::connect(
      dialog, &QFileDialog::fileSelected, window, [window, dialog, filters, target](const QString& path) {
        if (target.isNull()) return;
        const ChartFileKind& kind =
            ChartFileKindOf(path.toStdString(), KindOfFilter(filters, dialog->selectedNameFilter()));
        if (const std::optional<std::string> problem = SaveChart(*target, path, kind)) {
          auto* box = new QMessageBox(QMessageBox::Warning, QStringOf(kSaveChartTitle), QStringOf(*problem),
                                      QMessageBox::Ok, window);
          box->setObjectName(QStringLiteral("saveProblem"));
          box->setAttribute(Qt::WA_DeleteOnClose);
          box->open();
        }
      });
  dialog->open();
}

}  // namespace cotalia
