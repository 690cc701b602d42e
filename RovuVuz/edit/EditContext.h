// What an edit needs of the open document, and nothing more: identities for the nodes it
// makes, fresh w:ids for the tracked changes it records, and the style sheet that character
// formats resolve against. The document provides it; edits never see the document itself.
#pragma once

#include <cstdint>

#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

class EditContext {
  public:
    virtual ~EditContext() = default;
    virtual IdentityMint& mint() = 0;
    // One above the largest w:id of any story part as stored, then counting up.
    virtual int64_t nextRevisionID() = 0;
    virtual const StyleSheet& styles() = 0;

  protected:
    EditContext() = default;
    EditContext(const EditContext&) = default;
    EditContext& operator=(const EditContext&) = default;
};

}  // namespace rovuvuz
