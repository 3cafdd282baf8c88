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

struct Module {
    std::unique_ptr<QLibrary> library; // none when it could not be loaded
    int version = 0;                   // as the module says; 0 when it does not
    bool refusalTold = false;
};

// Loaded once, whatever it turns out to be: a missing module is not looked
// for again.
Module &module(const char *name)
{
    static std::map<std::string, Module> loaded;
    const auto known = loaded.find(name);
    if (known != loaded.end())
        return known->second;

    QStringList folders;
    if (QCoreApplication::instance())
        folders << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(KOTOHA_MODULES_INSTALLED));
    folders << QStringLiteral(KOTOHA_MODULES_BUILT);
    Module m;
    for (const QString &folder : folders) {
        auto candidate = std::make_unique<QLibrary>(QDir(folder).filePath(QLatin1String(name)));
        if (candidate->load()) {
            m.library = std::move(candidate);
            break;
        }
    }
    if (!m.library) {
        qWarning("the module %s is missing; going on without it", name);
        m.refusalTold = true;
    } else if (const auto version = reinterpret_cast<ModuleVersionFunction>(m.library->resolve(ModuleVersionSymbol))) {
        m.version = version();
    }
    return loaded.emplace(name, std::move(m)).first->second;
}

} // namespace

QFunctionPointer moduleFunction(const char *name, int version, const char *symbol)
{
    Module &m = module(name);
    if (!m.library)
        return nullptr;
    if (m.version != version) {
        if (!m.refusalTold && m.version == 0)
            qWarning("the module %s does not say its version; going on without it", name);
        else if (!m.refusalTold)
            qWarning("the module %s is of version %d, not %d; going on without it", name, m.version, version);
        m.refusalTold = true;
        return nullptr;
    }
    return m.library->resolve(symbol);
}

} // namespace platform::ui
