#include "store/StartUp.h"

#include "store/Leftovers.h"
#include "store/legacy/LegacyImport.h"

namespace store {

StartUpNotice prepareStoreAtStartUp(Module1& db, const QString& readerExecutable)
{
    StartUpNotice notice;
    if (inspectStoreFile(db.filePath()).kind == StoreFileKind::Jet) {
        const LegacyImportResult imported = importLegacyStore(db.filePath(), readerExecutable);
        notice.text = legacyImportMessage(imported);
        notice.isError = imported.status != LegacyImportResult::Imported &&
                         imported.status != LegacyImportResult::NotNeeded;
    } else {
        removeImportLeftovers(db.filePath());
    }
    const Module1::Prepared prepared = db.prepare();
    if (notice.text.isEmpty() && !prepared.error.isEmpty())
        notice = {prepared.error, true};
    if (!prepared.notice.isEmpty())
        notice.text += prepared.notice;
    removeLeftoverTemporaries(db.filePath());
    return notice;
}

} // namespace store
