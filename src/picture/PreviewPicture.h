#pragma once

#include <QString>

// The scaled picture as every import writes it into the temporary folder; a successful save
// removes it with the other preview files.
inline const QString kPreviewPictureName = QStringLiteral("preview.qdx.jpg");
