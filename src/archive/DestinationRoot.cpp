#include "archive/DestinationRoot.h"

#include "archive/StudyPaths.h"

namespace mirabel {

std::string DestinationRootFolder(std::string rootPath, char separator) {
    ReplaceChar(rootPath, separator == '/' ? '\\' : '/', separator);
    if (separator == '\\' && !rootPath.empty() && rootPath.back() == ':') rootPath += '\\';
    return rootPath;
}

}  // namespace mirabel
