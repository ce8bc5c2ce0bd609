// The two dispatchers: lang_fortran is Fortran, every other code is read as C.
#include "codes.hpp"
#include "lang.hpp"

int mprc_readbun(text_input& in, char* bun, int lang, int form, int flg_first, char* cdstack,
                 int* flg_cdstack) {
    if (lang == lang_fortran)
        return build_read_fort(in, bun, form, flg_first, cdstack, flg_cdstack);
    return build_read_c(in, bun, flg_first, cdstack, flg_cdstack);
}

int mprc_anabun(int lang, const char* bun, char* name, int name_max) {
    if (lang == lang_fortran) return build_ana_fort(bun, name, name_max);
    return build_ana_c(bun, name);
}
