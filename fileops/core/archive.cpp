#include "fileops/core/archive.h"

#include "fileops/core/fileops_core.h"

namespace quintar::fileops::core {

namespace {

std::u16string Quoted(std::u16string_view text) {
  std::u16string quoted(1, u'"');
  quoted.append(text);
  quoted.push_back(u'"');
  return quoted;
}

}  // namespace

int ArchiveKindOf(std::u16string_view name) {
  const std::size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos) return 0;
  const std::u16string extension = FoldAscii(name.substr(dot));
  if (extension == u".LZH") return kArchiveLzh;
  if (extension == u".ZIP") return kArchiveZip;
  return 0;
}

std::u16string CompressCommand(std::u16string_view archive, std::u16string_view base,
                               std::span<const ArchiveSource> sources) {
  std::u16string command = u"a " + Quoted(archive) + u" ";
  command += Quoted(std::u16string(base) + u"\\");
  command.push_back(u' ');
  for (const ArchiveSource& source : sources) {
    std::u16string path = JoinPath(source.folder, source.name);
    if (source.isFolder) path += u"\\*";
    command += Quoted(path);
    command.push_back(u' ');
  }
  return command;
}

std::u16string ExtractCommand(std::u16string_view archive, std::u16string_view target) {
  return u"e " + Quoted(archive) + u" " + Quoted(target);
}

std::optional<std::u16string> ExtractTarget(std::u16string_view destination, std::u16string_view archiveName,
                                            bool createFolder) {
  std::u16string target(destination);
  if (createFolder) {
    std::u16string_view leaf = LastComponent(archiveName, archiveName);
    const std::size_t dot = leaf.rfind(u'.');
    if (dot != std::u16string_view::npos && dot > 0) leaf = leaf.substr(0, dot);
    target = JoinPath(target, leaf);
  }
  target.push_back(u'\\');
  if (!FitsPath(target.size())) return std::nullopt;
  return target;
}

bool ArchiveAmongSources(std::u16string_view foldedArchive, std::span<const ArchiveSource> foldedSources) {
  for (const ArchiveSource& source : foldedSources) {
    const std::u16string path = JoinPath(source.folder, source.name);
    if (source.isFolder ? IsSameOrInside(path, foldedArchive) : path == foldedArchive) return true;
  }
  return false;
}

}  // namespace quintar::fileops::core
