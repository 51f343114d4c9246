#include "store/StartUp.h"

#include "store/Leftovers.h"
#include "store/legacy/LegacyImport.h"

namespace store {

StartUpNotice prepareStoreAtStartUp(Module1& db, const QString& readerExecutable, const LongStep& runLong)
{
    StartUpNotice notice;
    if (inspectStoreFile(db.filePath()).kind == StoreFileKind::Jet) {
        // Files and a child process only: no connection of db is opened on the way.
        LegacyImportResult imported;
        const auto import = [&] { imported = importLegacyStore(db.filePath(), readerExecutable); };
        if (runLong)
            runLong(import);
        else
            import();
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
