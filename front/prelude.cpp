// The Prelude as data, and its loading.
#include "front/prelude.h"

#include <optional>

#include "support/assert.h"
#include "front/loader.h"
#include "front/source_text.h"
#include "program/tables.h"

namespace vorn::front {

namespace {

// The bodies use only the parameters a..e, q and r: single lowercase letters are never globals.
constexpr std::string_view kPrelude =
    R"prelude(,A\a\aS BKK,B\a\b\c\a b(c),C\a\b\c\a c b,D\a\b\c\d\a b c(d),E\a\b\c\d\e\a b c(d)e,F\a\b\Vb a,G\a\VZ BW(BC)DDV(V XJ),H\a\I,I\a\a,J\a\b\c\Va b,K\a\b\a,L\a\aK K(KH),M\a\a a,N\a\K,O\a\b\b a(b),P\a\a XS I,Q\a\aZK,R\a\aZH,U\a\b\Ua,S\a\b\c\a c b(c),T\a\b\b a,V\a\b\c\c a b,W\a\b\a b b,Z\a\Z,X\a\b\c\d\Vb a(d)c,Y\a\b\a Ya b,[\]\a\b\c\ABCDEFGHIJKLMNOPQRSTUVWXYZ,[{]\a\b\c\Z,[&]\q\r\q r H,[|]\q\r\qKr,[!]\VHK,[+]\plus,[-]\dash,[*]\mult,[/]\over,[%]\cent,[^]\powa,[<]\less,[>]\gteq,[=]\same,[#]\diff,[$]\buck,[~]\wave,[.]\T,[@]\T,[:]\I,[?]\I,[;]\I,[']\I,["]\I,[,]\I)prelude";

}  // namespace

std::string_view preludeText() { return kPrelude; }

void loadPrelude() {
  SourcePieces pieces{normalise(kPrelude)};
  for (std::size_t k = 0; k < pieces.count(); ++k) {
    std::optional<Definition> definition = readDefinition(pieces.parse(k));
    CORE_ASSERT(definition && definition->form == DefinitionForm::kPlain);
    program::globals().define(std::move(definition->name), std::move(definition->body));
  }
}

}  // namespace vorn::front
