#pragma once
// The manifest beside a copy: the study's files and their SHA-256 in the format `sha256sum`
// writes and checks, kept under the destination's root as "manifests/<image path>.sha256",
// outside the "images" tree. Its paths are relative to the destination's root
// ("images/<image path>/<name>"), so that `cd <root> && sha256sum -c manifests/...` checks a
// copy with standard tools, and a lost catalog can be rebuilt from the destinations.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CopyCatalog.h"

namespace mirabel {

// "manifests/2004/0117/ST01.sha256" for the image path "\2004\0117\ST01" (either separator).
std::string ManifestPathFor(const std::string& imagePath);

// The manifest text of a study's files. A name holding a backslash or a line break is written
// as `sha256sum` writes it: the line starts with "\" and those characters are escaped.
std::string ManifestText(const std::string& imagePath, const std::vector<CopiedFile>& files);

struct ManifestLine {
    std::string sha256;
    std::string path;  // as written, relative to the destination's root, unescaped
};

// The lines of a manifest; nullopt when a line is not in the format (a manifest that was cut
// or edited is not trusted in part).
std::optional<std::vector<ManifestLine>> ParseManifest(std::string_view text);

// The files of a study's manifest: the lines under "images/<image path>/", named by what
// follows; nullopt when a line names anything else.
std::optional<std::vector<CopiedFile>> ManifestFiles(const std::string& imagePath,
                                                     const std::vector<ManifestLine>& lines);

}  // namespace mirabel
