// The rule that keeps a package's files from overwriting one another: in
// the flat archive every file needs a name of its own, and every document
// its own идентификаторДокумента, from which its content file is named.
// Messages name the clashing name and both of its owners.
#pragma once

#include <memory>
#include <vector>

class CTarvexDocument;
class CXMLGprExtDocumentCollection;

// The files a save writes are the description, one content file per
// document and one per signature and countersignature; an archive reader
// takes no more entries than ZipLimits::entries. Refuses, naming the count
// and the limit, documents that (with `added` more, each without a
// signature) would save into an archive that does not open again.
void CheckFileCount(CXMLGprExtDocumentCollection& documents, int added = 0);

// On opening, the names as the description holds them: no two documents
// with one code or one content file, and no content file named like the
// description or like a signature file.
void CheckDescribedFileNames(CXMLGprExtDocumentCollection& documents);
// Before a save, and after a client renames a document or changes its
// code: the names the save writes (content files as they are or will be
// made, signature files numbered under their owners) all differ, and so do
// the codes. A document whose content name cannot be made yet is skipped:
// its save fails on its own.
void CheckSavedFileNames(const std::vector<std::unique_ptr<CTarvexDocument>>& documents);
