#include "modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QtDebug>

#include <map>
#include <memory>
#include <string>

namespace platform::ui {
namespace {

// nullptr for a module that could not be loaded: it is not looked for again.
QLibrary *module(const char *name)
{
    static std::map<std::string, std::unique_ptr<QLibrary>> loaded;
    const auto known = loaded.find(name);
    if (known != loaded.end())
        return known->second.get();

    QStringList folders;
    if (QCoreApplication::instance())
        folders << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(KOTOHA_MODULES_INSTALLED));
    folders << QStringLiteral(KOTOHA_MODULES_BUILT);
    std::unique_ptr<QLibrary> library;
    for (const QString &folder : folders) {
        auto candidate = std::make_unique<QLibrary>(QDir(folder).filePath(QLatin1String(name)));
        if (candidate->load()) {
            library = std::move(candidate);
            break;
        }
    }
    if (!library)
        qWarning("the module %s is missing; going on without it", name);
    return loaded.emplace(name, std::move(library)).first->second.get();
}

} // namespace

QFunctionPointer moduleFunction(const char *name, const char *symbol)
{
    QLibrary *library = module(name);
    return library ? library->resolve(symbol) : nullptr;
}

} // namespace platform::ui
