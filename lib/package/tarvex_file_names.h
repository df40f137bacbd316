// The rule that keeps a package's files from overwriting one another: in
// the flat archive every file needs a name of its own, and every document
// its own идентификаторДокумента, from which its content file is named.
// Messages name the clashing name and both of its owners.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CTarvexDocument;
class CXMLGprExtDocumentCollection;
class CXMLGprExtSignatureCollection;

// The files a save writes are the description, one content file per
// document and one per signature and countersignature; an archive reader
// takes no more entries than ZipLimits::entries. Refuses, naming the count
// and the limit, documents that would save into an archive that does not
// open again: those of the description, or so many documents with so many
// signature files in all.
void CheckFileCount(CXMLGprExtDocumentCollection& documents);
void CheckFileCount(int64_t documents, int64_t signature_files);
// The signature files of a list: every signature with its nested
// countersignatures.
int64_t SignatureFileCount(CXMLGprExtSignatureCollection& signatures);
// Gives `take` the names a save gives the signatures of a list and their
// countersignatures, owner before its own: "%s_%d.p7s" of the owner's
// file name `base` and the 1-based position among the owner's signatures.
void ForEachSavedSignature(CXMLGprExtSignatureCollection& signatures, const std::string& base,
                           const std::function<void(const std::string&)>& take);

// An original file name lends its extension to the content file's name in
// the archive, which the receivers unpack on their systems. Refuses, naming
// the name, an extension that holds a character no file name there may hold
// (< > : " / \ | ? * or a control character) or that ends in a blank or a
// dot, which those systems drop from a name.
void CheckOriginalExtension(const std::string& name, const std::string& extension);

// On opening, the names as the description holds them: no two documents
// with one code or one content file, and no content file named like the
// description or like a signature file.
void CheckDescribedFileNames(CXMLGprExtDocumentCollection& documents);
// Before a save, and to name a clash that the package's index of names
// found (package_names.h) after a client changed a document: the names the save writes (content
// files as they are or will be made, signature files numbered under their owners) all differ, and
// so do the codes. A document whose content name cannot be made yet is skipped: its save fails on
// its own.
void CheckSavedFileNames(const std::vector<std::unique_ptr<CTarvexDocument>>& documents);
