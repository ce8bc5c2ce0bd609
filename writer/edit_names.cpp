// The edited names: an object, source or include file name behind its directory macro and
// one backslash, in double quotes.
#include "edit_names.hpp"
#include "diag.hpp"
#include "writer.hpp"
#include "writer_parts.hpp"

#include <cstring>

namespace {

constexpr char objdir_macro[] = "$(OBJDIR)";
constexpr int objdir_macro_len = sizeof objdir_macro - 1;
constexpr char obj_suffix[] = ".obj";
constexpr int obj_suffix_len = sizeof obj_suffix - 1;
// The two quotes and the backslash around and between macro and name.
constexpr int edit_marks = 3;
// Any stored source name, cut at its last dot, with ".obj" and a zero.
constexpr int obj_name_size = src_name_size + obj_suffix_len;

// The object file name of a source name: all before its last dot, with ".obj". Returns its
// length; obj holds obj_name_size chars.
int form_obj_name(char* obj, const char* name, int name_len) {
    int stem = name_len;
    while (stem > 0 && name[stem - 1] != '.')
        --stem;
    stem = stem > 0 ? stem - 1 : name_len; // no dot: the whole name
    std::memcpy(obj, name, static_cast<std::size_t>(stem));
    std::memcpy(obj + stem, obj_suffix, obj_suffix_len + 1);
    return stem + obj_suffix_len;
}

// "macro\name" in quotes into result when shorter than limit. Returns its length, or -1
// with an empty result.
int join_edited(char* result, int limit, const char* macro, int macro_len, const char* name,
                int name_len) {
    int len = macro_len + name_len + edit_marks;
    if (len >= limit) {
        if (limit > 0) result[0] = '\0';
        return -1;
    }
    char* at = result;
    *at++ = '"';
    std::memcpy(at, macro, static_cast<std::size_t>(macro_len));
    at += macro_len;
    *at++ = '\\';
    std::memcpy(at, name, static_cast<std::size_t>(name_len));
    at += name_len;
    *at++ = '"';
    *at = '\0';
    return len;
}

} // namespace

int edit_obj(char* result, int limit, int src_name_max, const char* name, int name_len) {
    if (name_len > src_name_max || name_len >= src_name_size) {
        if (limit > 0) result[0] = '\0';
        return -1;
    }
    char obj[obj_name_size];
    int obj_len = form_obj_name(obj, name, name_len);
    return join_edited(result, limit, objdir_macro, objdir_macro_len, obj, obj_len);
}

int edit_src(char* result, int limit, const srctab_row& row, int name_len) {
    char macro[dir_macro_size];
    int macro_len = put_dir_macro(macro, "SRCDIR", row.srcdir_no);
    return join_edited(result, limit, macro, macro_len, row.name, name_len);
}

int edit_inc(char* result, int limit, const inctab_row& entry) {
    char macro[dir_macro_size];
    int macro_len = put_dir_macro(macro, "INCDIR", entry.incdir_no);
    int name_len = static_cast<int>(std::strlen(entry.name));
    return join_edited(result, limit, macro, macro_len, entry.name, name_len);
}

int output_edit_obj(const writer_storage& w, char* result, int limit, const char* name) {
    std::size_t name_len = std::strlen(name);
    if (name_len > static_cast<std::size_t>(w.b.src_name) || name_len >= src_name_size) {
        if (limit > 0) result[0] = '\0';
        report(severity::error, "too long source file name", "output_edit_obj",
               "#ERROR#  too long source file name =[%s]\n", name);
        return -1;
    }
    if (edit_obj(result, limit, w.b.src_name, name, static_cast<int>(name_len)) >= 0) return 0;
    char obj[obj_name_size];
    form_obj_name(obj, name, static_cast<int>(name_len));
    report(severity::error, "too long object file name", "output_edit_obj",
           "#ERROR#  too long object file name =[%s]\n", obj);
    return -1;
}

int output_edit_src(char* result, int limit, const srctab_row* row) {
    if (edit_src(result, limit, *row, static_cast<int>(std::strlen(row->name))) >= 0) return 0;
    report(severity::error, "too long source file name", "output_edit_src",
           "#ERROR#  too long source file name =[%s]\n", row->name);
    return -1;
}

int output_edit_inc(char* result, int limit, const inctab_row* entry) {
    if (edit_inc(result, limit, *entry) >= 0) return 0;
    report(severity::error, "too long source include name", "output_edit_inc",
           "#ERROR#  too long include file name =[%s]\n", entry->name);
    return -1;
}
