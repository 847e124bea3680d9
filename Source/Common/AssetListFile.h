#pragma once
// The asset list handed to the photo viewer and the media player: an XML
// file (root SelectedAssetList, one FirstFile, then one FilePath per file in
// order, full paths as text) in a private per-user folder, named from the
// current date-time ("<n>l_<n>l.xml", "_<k>" added when taken) and created
// exclusively, so no other user can read or replace it.
#include <vector>

#include "CQelStringW.h"

namespace ORVGF {

// Writes the list; the full path of the file, or an empty text when it
// could not be written whole. Lists older than a day are removed first.
CQelStringW CreateXMLFile(std::vector<CQelStringW>& files, CQelStringW firstFile);

// The folder the lists go to (created private); empty when it cannot be.
std::string AssetListFolder();

}  // namespace ORVGF
