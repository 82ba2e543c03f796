#include "core/params/TransferRemarks.h"

#include "core/base/Language.h"

namespace {

enum Remark {
    Busy,
    NoPort,
    NoSet,
    Read,
    NothingRead,
    Written,
    WrittenAndVerified,
    WriteStopped,
    NothingWritten,
    VerifyCheck,
    VerifyHint
};

// German, English, French, Italian, Spanish, Polish, Chinese.
const char* const kRemarks[][7] = {
    {"Übertragung läuft: bitte warten", "Transfer running: please wait", "Transfert en cours : veuillez patienter",
     "Trasferimento in corso: attendere", "Transferencia en curso: espere", "Trwa transmisja: proszę czekać",
     "傳輸中：請稍候"},
    {"Empfangen und Senden gesperrt: keine serielle Schnittstelle (keine gewählt oder belegt)",
     "Receive and Send are off: no serial port (none was chosen, or it is in use)",
     "Recevoir et Envoyer inactifs : aucun port série (aucun choisi, ou occupé)",
     "Ricevi e Invia disattivati: nessuna porta seriale (nessuna scelta, o occupata)",
     "Recibir y Enviar desactivados: ningún puerto serie (no se eligió ninguno, o está ocupado)",
     "Odbierz i Wyślij wyłączone: brak portu szeregowego (nie wybrano lub jest zajęty)",
     "接收與傳送已停用：沒有序列埠（未選擇或已被佔用）"},
    {"Senden gesperrt: kein Parametersatz ausgewählt", "Send is off: no parameter set is selected",
     "Envoyer inactif : aucun jeu de paramètres sélectionné", "Invia disattivato: nessun set di parametri selezionato",
     "Enviar desactivado: ningún juego de parámetros seleccionado", "Wyślij wyłączone: nie wybrano zestawu parametrów",
     "傳送已停用：未選擇參數組"},
    {"Empfangen: %1 Parameter gelesen", "Receive: %1 parameters read", "Réception : %1 paramètres lus",
     "Ricezione: %1 parametri letti", "Recepción: %1 parámetros leídos", "Odbiór: odczytano %1 parametrów",
     "接收：已讀取 %1 個參數"},
    {"Empfangen: nichts gelesen", "Receive: nothing read", "Réception : rien lu", "Ricezione: nulla letto",
     "Recepción: nada leído", "Odbiór: nic nie odczytano", "接收：未讀取任何參數"},
    {"Senden: %1 Parameter geschrieben", "Send: %1 parameters written", "Envoi : %1 paramètres écrits",
     "Invio: %1 parametri scritti", "Envío: %1 parámetros escritos", "Wysyłanie: zapisano %1 parametrów",
     "傳送：已寫入 %1 個參數"},
    {"Senden: %1 Parameter geschrieben, %2 von %3 beim Zurücklesen gleich",
     "Send: %1 parameters written, %2 of %3 matched when read back",
     "Envoi : %1 paramètres écrits, %2 sur %3 identiques à la relecture",
     "Invio: %1 parametri scritti, %2 su %3 corrispondenti alla rilettura",
     "Envío: %1 parámetros escritos, %2 de %3 coinciden al releer",
     "Wysyłanie: zapisano %1 parametrów, %2 z %3 zgodnych przy odczycie kontrolnym",
     "傳送：已寫入 %1 個參數，回讀時 %3 個中有 %2 個相符"},
    {"Senden abgebrochen: %1 Parameter geschrieben", "Send stopped: %1 parameters written",
     "Envoi interrompu : %1 paramètres écrits", "Invio interrotto: %1 parametri scritti",
     "Envío interrumpido: %1 parámetros escritos", "Wysyłanie przerwane: zapisano %1 parametrów",
     "傳送中斷：已寫入 %1 個參數"},
    {"Senden: nichts geschrieben", "Send: nothing written", "Envoi : rien écrit", "Invio: nulla scritto",
     "Envío: nada escrito", "Wysyłanie: nic nie zapisano", "傳送：未寫入任何參數"},
    {"Prüfen", "Verify", "Vérifier", "Verifica", "Verificar", "Weryfikuj", "驗證"},
    {"Nach dem Senden die Steuerung zurücklesen und jeden abweichenden Parameter auflisten",
     "After Send, read the controller back and list every parameter that differs",
     "Après l'envoi, relire le contrôleur et lister chaque paramètre différent",
     "Dopo l'invio, rileggere il controllore ed elencare ogni parametro diverso",
     "Tras enviar, releer el controlador y listar cada parámetro distinto",
     "Po wysłaniu odczytać sterownik i wypisać każdy różniący się parametr", "傳送後回讀控制器並列出每個不同的參數"},
};

QString RemarkText(Remark remark, const TLanguage& language) {
    // Japanese and unknown columns read English, as the language records do.
    const int index = language.Index();
    const int column = index >= 1 && index <= 7 ? index - 1 : 1;
    return QString::fromUtf8(kRemarks[remark][column]);
}

} // namespace

QString TransferBlockText(TTransferBlock block, const TLanguage& language) {
    switch (block) {
    case TTransferBlock::Busy:
        return RemarkText(Busy, language);
    case TTransferBlock::NoPort:
        return RemarkText(NoPort, language);
    case TTransferBlock::NoSet:
        return RemarkText(NoSet, language);
    case TTransferBlock::None:
        break;
    }
    return {};
}

QString ReceiveSummary(TTransferOutcome outcome, const TTransferCounts& counts, const TLanguage& language) {
    if (outcome != TTransferOutcome::Saved) {
        return RemarkText(NothingRead, language);
    }
    return RemarkText(Read, language).arg(counts.Read);
}

QString SendSummary(TTransferOutcome outcome, const TTransferCounts& counts, const TLanguage& language) {
    if (counts.Verified >= 0) {
        return RemarkText(WrittenAndVerified, language).arg(counts.Written).arg(counts.Matched).arg(counts.Verified);
    }
    if (counts.Written == 0) {
        return RemarkText(NothingWritten, language);
    }
    return RemarkText(outcome == TTransferOutcome::Saved ? Written : WriteStopped, language).arg(counts.Written);
}

QString VerifyCheckText(const TLanguage& language) {
    return RemarkText(VerifyCheck, language);
}

QString VerifyCheckHint(const TLanguage& language) {
    return RemarkText(VerifyHint, language);
}
