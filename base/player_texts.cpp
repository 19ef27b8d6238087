#include "base/player_texts.h"

#include <atomic>

namespace player_texts {

// English, German, Italian, Spanish, French, Chinese (simplified), Japanese,
// Hebrew, Dutch, Greek, Turkish, Russian, Swedish, Danish.
const Language kLanguageColumns[kLanguages] = {
    {0, false}, {1, false},  {2, false},  {3, false},  {5, false},  {6, false},  {7, false},
    {8, true},  {9, false},  {11, false}, {12, false}, {13, false}, {14, false}, {15, false},
};

} // namespace player_texts

namespace {

struct TextRow {
    TextId id;
    const char* text[player_texts::kLanguages];
};

// Rows in the order of TextId; columns in the order of kLanguageColumns.
// The English column is the installer's own wording, kept as it always was.
const TextRow kTextTable[] = {
    {TextId::kCasinoInstallation,
     {"Casino Installation", "Casino-Installation", "Installazione del casinò", "Instalación del casino",
      "Installation du casino", "赌场安装程序", "カジノのインストール", "התקנת הקזינו", "Casino-installatie",
      "Εγκατάσταση καζίνο", "Casino kurulumu", "Установка казино", "Kasinoinstallation",
      "Casinoinstallation"}},
    {TextId::kBrandInstallation,
     {"%1 Installation", "Installation von %1", "Installazione di %1", "Instalación de %1", "Installation de %1",
      "%1 安装程序", "%1 のインストール", "התקנת %1", "Installatie van %1", "Εγκατάσταση του %1", "%1 kurulumu",
      "Установка %1", "Installation av %1", "Installation af %1"}},
    {TextId::kDownloading,
     {"Downloading: %1", "Wird geladen: %1", "Download in corso: %1", "Descargando: %1", "Téléchargement : %1",
      "正在下载：%1", "ダウンロード中: %1", "בהורדה: %1", "Downloaden: %1", "Λήψη: %1", "İndiriliyor: %1",
      "Загрузка: %1", "Hämtar: %1", "Henter: %1"}},
    {TextId::kDownloadedFiles,
     {"Downloaded %1 of %2 files", "Geladen: %1 von %2", "Scaricati %1 di %2 file",
      "Descargados: %1 de %2", "Téléchargés : %1 sur %2", "已下载 %1/%2 个文件", "ダウンロード済み %1/%2",
      "הורדו %1 מתוך %2", "Gedownload: %1 van %2", "Αρχεία: %1 από %2", "İndirilen: %1 / %2",
      "Загружено %1 из %2", "Hämtat %1 av %2 filer", "Hentet %1 af %2 filer"}},
    {TextId::kExtracting,
     {"Extracting: %1", "Wird entpackt: %1", "Estrazione in corso: %1", "Extrayendo: %1", "Extraction : %1",
      "正在解压：%1", "展開中: %1", "בחילוץ: %1", "Uitpakken: %1", "Αποσυμπίεση: %1", "Açılıyor: %1",
      "Распаковка: %1", "Packar upp: %1", "Pakker ud: %1"}},
    {TextId::kContinueQuestion,
     {"Do you want to continue the installation? ", "Möchten Sie die Installation fortsetzen?",
      "Vuole continuare l'installazione?", "¿Desea continuar con la instalación?",
      "Voulez-vous poursuivre l'installation ?", "是否继续安装？", "インストールを続行しますか?",
      "האם להמשיך בהתקנה?", "Wilt u doorgaan met de installatie?", "Θέλετε να συνεχίσετε την εγκατάσταση;",
      "Kuruluma devam etmek istiyor musunuz?", "Продолжить установку?", "Vill du fortsätta installationen?",
      "Vil du fortsætte installationen?"}},
    {TextId::kCancel,
     {"Cancel", "Abbrechen", "Annulla", "Cancelar", "Annuler", "取消", "キャンセル", "ביטול", "Annuleren",
      "Ακύρωση", "İptal", "Отмена", "Avbryt", "Annuller"}},
    {TextId::kYes, {"Yes", "Ja", "Sì", "Sí", "Oui", "是", "はい", "כן", "Ja", "Ναι", "Evet", "Да", "Ja", "Ja"}},
    {TextId::kNo,
     {"No", "Nein", "No", "No", "Non", "否", "いいえ", "לא", "Nee", "Όχι", "Hayır", "Нет", "Nej", "Nej"}},
    {TextId::kOk,
     {"OK", "OK", "OK", "Aceptar", "OK", "确定", "OK", "אישור", "OK", "OK", "Tamam", "ОК", "OK", "OK"}},
    {TextId::kRetry,
     {"Retry", "Wiederholen", "Riprova", "Reintentar", "Réessayer", "重试", "再試行", "נסה שוב", "Opnieuw",
      "Επανάληψη", "Yeniden dene", "Повторить", "Försök igen", "Prøv igen"}},
    {TextId::kRetriesExhausted,
     {"Error retry_count==5", "Die Datei konnte nach fünf Versuchen nicht geladen werden.",
      "Impossibile scaricare il file dopo cinque tentativi.", "No se pudo descargar el archivo tras cinco intentos.",
      "Impossible de télécharger le fichier après cinq tentatives.", "尝试五次后仍无法下载文件。",
      "5 回試行しましたが、ファイルをダウンロードできませんでした。",
      "לא ניתן היה להוריד את הקובץ לאחר חמישה ניסיונות.",
      "Het bestand kon na vijf pogingen niet worden gedownload.",
      "Δεν ήταν δυνατή η λήψη του αρχείου μετά από πέντε προσπάθειες.", "Dosya beş denemeden sonra indirilemedi.",
      "Не удалось загрузить файл после пяти попыток.", "Filen kunde inte hämtas efter fem försök.",
      "Filen kunne ikke hentes efter fem forsøg."}},
    {TextId::kManifestFailed,
     {"IniFileDownloaderListener::OnError()", "Die Installationsdaten konnten nicht vom Server geladen werden.",
      "Impossibile caricare i dati di installazione dal server.",
      "No se pudieron cargar los datos de instalación del servidor.",
      "Impossible de charger les données d'installation depuis le serveur.", "无法从服务器加载安装数据。",
      "サーバーからインストール情報を読み込めませんでした。", "לא ניתן היה לטעון את נתוני ההתקנה מהשרת.",
      "De installatiegegevens konden niet van de server worden geladen.",
      "Δεν ήταν δυνατή η φόρτωση των δεδομένων εγκατάστασης από τον διακομιστή.",
      "Kurulum bilgileri sunucudan yüklenemedi.", "Не удалось получить данные установки с сервера.",
      "Installationsdata kunde inte hämtas från servern.", "Installationsdata kunne ikke hentes fra serveren."}},
    {TextId::kManifestCanceled,
     {"IniFileDownloaderListener::OnCanceled()", "Das Laden der Installationsdaten wurde abgebrochen.",
      "Il caricamento dei dati di installazione è stato interrotto.",
      "Se interrumpió la carga de los datos de instalación.",
      "Le chargement des données d'installation a été interrompu.", "安装数据的加载已中断。",
      "インストール情報の読み込みが中断されました。", "טעינת נתוני ההתקנה הופסקה.",
      "Het laden van de installatiegegevens is afgebroken.", "Η φόρτωση των δεδομένων εγκατάστασης διακόπηκε.",
      "Kurulum bilgilerinin yüklenmesi durduruldu.", "Получение данных установки прервано.",
      "Hämtningen av installationsdata avbröts.", "Hentningen af installationsdata blev afbrudt."}},
    {TextId::kFileFailed,
     {"ResourceFileDownloaderListener::OnError()", "Eine Datei konnte nicht geladen werden.",
      "Impossibile scaricare un file.", "No se pudo descargar un archivo.", "Impossible de télécharger un fichier.",
      "无法下载文件。", "ファイルをダウンロードできませんでした。", "לא ניתן היה להוריד קובץ.",
      "Een bestand kon niet worden gedownload.", "Δεν ήταν δυνατή η λήψη ενός αρχείου.", "Bir dosya indirilemedi.",
      "Не удалось загрузить файл.", "En fil kunde inte hämtas.", "En fil kunne ikke hentes."}},
    {TextId::kFileCanceled,
     {"ResourceFileDownloaderListener::OnCanceled()", "Das Laden einer Datei wurde abgebrochen.",
      "Il download di un file è stato interrotto.", "Se interrumpió la descarga de un archivo.",
      "Le téléchargement d'un fichier a été interrompu.", "文件下载已中断。",
      "ファイルのダウンロードが中断されました。", "הורדת קובץ הופסקה.",
      "Het downloaden van een bestand is afgebroken.", "Η λήψη ενός αρχείου διακόπηκε.",
      "Bir dosyanın indirilmesi durduruldu.", "Загрузка файла прервана.", "Hämtningen av en fil avbröts.",
      "Hentningen af en fil blev afbrudt."}},
    {TextId::kFileNotWritten,
     {"Error in ResourceFileDownloaderListener::OnRecv()", "Eine Datei konnte nicht gespeichert werden.",
      "Impossibile salvare un file.", "No se pudo guardar un archivo.", "Impossible d'enregistrer un fichier.",
      "无法保存文件。", "ファイルを保存できませんでした。", "לא ניתן היה לשמור קובץ.",
      "Een bestand kon niet worden opgeslagen.", "Δεν ήταν δυνατή η αποθήκευση ενός αρχείου.",
      "Bir dosya kaydedilemedi.", "Не удалось сохранить файл.", "En fil kunde inte sparas.",
      "En fil kunne ikke gemmes."}},
    {TextId::kProxyCredentials,
     {"The proxy server asks for a user name and password.",
      "Der Proxyserver verlangt einen Benutzernamen und ein Kennwort.",
      "Il server proxy richiede un nome utente e una password.",
      "El servidor proxy solicita un nombre de usuario y una contraseña.",
      "Le serveur proxy demande un nom d'utilisateur et un mot de passe.", "代理服务器要求输入用户名和密码。",
      "プロキシ サーバーがユーザー名とパスワードを求めています。", "שרת ה-Proxy מבקש שם משתמש וסיסמה.",
      "De proxyserver vraagt om een gebruikersnaam en wachtwoord.",
      "Ο διακομιστής μεσολάβησης ζητά όνομα χρήστη και κωδικό πρόσβασης.",
      "Proxy sunucusu bir kullanıcı adı ve parola istiyor.", "Прокси-сервер запрашивает имя пользователя и пароль.",
      "Proxyservern begär ett användarnamn och ett lösenord.",
      "Proxyserveren beder om et brugernavn og en adgangskode."}},
    {TextId::kChecksumMismatch,
     {"Checksum mismatch: %1", "Die Prüfsumme stimmt nicht: %1", "Checksum non corrispondente: %1",
      "La suma de comprobación no coincide: %1", "Somme de contrôle incorrecte : %1", "校验和不匹配：%1",
      "チェックサムが一致しません: %1", "סכום הביקורת אינו תואם: %1", "Controlesom komt niet overeen: %1",
      "Το άθροισμα ελέγχου δεν ταιριάζει: %1", "Sağlama toplamı uyuşmuyor: %1",
      "Контрольная сумма не совпадает: %1", "Kontrollsumman stämmer inte: %1", "Kontrolsummen passer ikke: %1"}},
    {TextId::kNoExtractLibrary,
     {"Can't load Extract dll", "Die Entpackbibliothek konnte nicht geladen werden.",
      "Impossibile caricare la libreria di estrazione.", "No se pudo cargar la biblioteca de extracción.",
      "Impossible de charger la bibliothèque d'extraction.", "无法加载解压库。",
      "展開ライブラリを読み込めませんでした。", "לא ניתן היה לטעון את ספריית החילוץ.",
      "De uitpakbibliotheek kon niet worden geladen.",
      "Δεν ήταν δυνατή η φόρτωση της βιβλιοθήκης αποσυμπίεσης.", "Açma kitaplığı yüklenemedi.",
      "Не удалось загрузить библиотеку распаковки.", "Uppackningsbiblioteket kunde inte läsas in.",
      "Udpakningsbiblioteket kunne ikke indlæses."}},
    {TextId::kNoExtractFunction,
     {"Can't find ExtractArchive function", "Die Entpackbibliothek kann nicht verwendet werden.",
      "La libreria di estrazione non è utilizzabile.", "La biblioteca de extracción no se puede usar.",
      "La bibliothèque d'extraction est inutilisable.", "解压库无法使用。", "展開ライブラリを使用できません。",
      "לא ניתן להשתמש בספריית החילוץ.", "De uitpakbibliotheek is onbruikbaar.",
      "Η βιβλιοθήκη αποσυμπίεσης δεν μπορεί να χρησιμοποιηθεί.", "Açma kitaplığı kullanılamıyor.",
      "Библиотеку распаковки невозможно использовать.", "Uppackningsbiblioteket kan inte användas.",
      "Udpakningsbiblioteket kan ikke bruges."}},
    {TextId::kArchiveFailed,
     {"%1\nError:%2", "%1\nFehler beim Entpacken: %2", "%1\nErrore di estrazione: %2", "%1\nError al extraer: %2",
      "%1\nErreur d'extraction : %2", "%1\n解压错误：%2", "%1\n展開エラー: %2", "%1\nשגיאת חילוץ: %2",
      "%1\nFout bij uitpakken: %2", "%1\nΣφάλμα αποσυμπίεσης: %2", "%1\nAçma hatası: %2",
      "%1\nОшибка распаковки: %2", "%1\nFel vid uppackning: %2", "%1\nFejl ved udpakning: %2"}},
    {TextId::kDiskSpace,
     {"Not enough disk space: %1 MiB needed, %2 MiB free.",
      "Nicht genügend Speicherplatz: %1 MiB benötigt, %2 MiB frei.",
      "Spazio su disco insufficiente: necessari %1 MiB, liberi %2 MiB.",
      "Espacio en disco insuficiente: se necesitan %1 MiB, hay %2 MiB libres.",
      "Espace disque insuffisant : %1 Mio nécessaires, %2 Mio libres.", "磁盘空间不足：需要 %1 MiB，可用 %2 MiB。",
      "ディスクの空き容量が不足しています: 必要 %1 MiB、空き %2 MiB。",
      "אין מספיק מקום בדיסק: נדרשים %1 MiB, פנויים %2 MiB.", "Onvoldoende schijfruimte: %1 MiB nodig, %2 MiB vrij.",
      "Ανεπαρκής χώρος στον δίσκο: απαιτούνται %1 MiB, ελεύθερα %2 MiB.",
      "Yetersiz disk alanı: %1 MiB gerekli, %2 MiB boş.",
      "Недостаточно места на диске: нужно %1 МиБ, свободно %2 МиБ.",
      "Inte tillräckligt med diskutrymme: %1 MiB behövs, %2 MiB ledigt.",
      "Ikke nok diskplads: %1 MiB kræves, %2 MiB ledig."}},
    {TextId::kOutOfMemory,
     {"Not enough memory to continue the installation.",
      "Nicht genügend Arbeitsspeicher, um die Installation fortzusetzen.",
      "Memoria insufficiente per continuare l'installazione.",
      "No hay memoria suficiente para continuar la instalación.",
      "Mémoire insuffisante pour poursuivre l'installation.", "内存不足，无法继续安装。",
      "メモリが不足しているため、インストールを続行できません。", "אין מספיק זיכרון כדי להמשיך בהתקנה.",
      "Onvoldoende geheugen om de installatie voort te zetten.",
      "Δεν υπάρχει αρκετή μνήμη για να συνεχιστεί η εγκατάσταση.",
      "Kuruluma devam etmek için yeterli bellek yok.", "Недостаточно памяти для продолжения установки.",
      "Det finns inte tillräckligt med minne för att fortsätta installationen.",
      "Der er ikke nok hukommelse til at fortsætte installationen."}},
    {TextId::kClientRunning,
     {"Casino Program is running...\r\nPlease exit it before continue",
      "Das Casino-Programm läuft noch.\r\nBitte beenden Sie es, bevor Sie fortfahren.",
      "Il programma del casinò è in esecuzione.\r\nLo chiuda prima di continuare.",
      "El programa del casino se está ejecutando.\r\nCiérrelo antes de continuar.",
      "Le programme du casino est en cours d'exécution.\r\nVeuillez le fermer avant de continuer.",
      "赌场程序正在运行。\r\n请先退出该程序再继续。", "カジノ プログラムが実行中です。\r\n続行する前に終了してください。",
      "תוכנת הקזינו פועלת.\r\nנא לסגור אותה לפני שממשיכים.",
      "Het casinoprogramma is actief.\r\nSluit het af voordat u doorgaat.",
      "Το πρόγραμμα του καζίνο εκτελείται.\r\nΚλείστε το πριν συνεχίσετε.",
      "Casino programı çalışıyor.\r\nLütfen devam etmeden önce programı kapatın.",
      "Программа казино запущена.\r\nЗакройте её, прежде чем продолжить.",
      "Kasinoprogrammet körs.\r\nAvsluta det innan du fortsätter.",
      "Casinoprogrammet kører.\r\nLuk det, før du fortsætter."}},
    {TextId::kClientRunningAbort,
     {"Casino Program is running...\r\nInstalation Abort",
      "Das Casino-Programm läuft noch.\r\nDer Vorgang wird abgebrochen.",
      "Il programma del casinò è in esecuzione.\r\nOperazione interrotta.",
      "El programa del casino se está ejecutando.\r\nSe canceló la operación.",
      "Le programme du casino est en cours d'exécution.\r\nL'opération est annulée.",
      "赌场程序正在运行。\r\n操作已中止。", "カジノ プログラムが実行中です。\r\n処理を中止しました。",
      "תוכנת הקזינו פועלת.\r\nהפעולה בוטלה.", "Het casinoprogramma is actief.\r\nDe bewerking is afgebroken.",
      "Το πρόγραμμα του καζίνο εκτελείται.\r\nΗ διαδικασία ακυρώθηκε.",
      "Casino programı çalışıyor.\r\nİşlem iptal edildi.", "Программа казино запущена.\r\nОперация прервана.",
      "Kasinoprogrammet körs.\r\nÅtgärden avbröts.", "Casinoprogrammet kører.\r\nHandlingen blev afbrudt."}},
    {TextId::kPageFailed,
     {"%1 failed", "Die Seite kann nicht angezeigt werden (%1).", "Impossibile mostrare la pagina (%1).",
      "No se puede mostrar la página (%1).", "Impossible d'afficher la page (%1).", "无法显示页面（%1）。",
      "ページを表示できません (%1)。", "לא ניתן להציג את הדף (%1).", "De pagina kan niet worden weergegeven (%1).",
      "Δεν είναι δυνατή η εμφάνιση της σελίδας (%1).", "Sayfa görüntülenemiyor (%1).",
      "Не удаётся показать страницу (%1).", "Sidan kan inte visas (%1).", "Siden kan ikke vises (%1)."}},
    {TextId::kUnsafeBrand,
     {"Unsafe brand name in manifest: %1", "Unsicherer Markenname in den Installationsdaten: %1",
      "Nome del marchio non sicuro nei dati di installazione: %1",
      "Nombre de marca no seguro en los datos de instalación: %1",
      "Nom de marque non sûr dans les données d'installation : %1", "安装数据中的品牌名称不安全：%1",
      "インストール情報のブランド名が安全ではありません: %1", "שם מותג לא בטוח בנתוני ההתקנה: %1",
      "Onveilige merknaam in de installatiegegevens: %1", "Μη ασφαλές όνομα επωνυμίας στα δεδομένα εγκατάστασης: %1",
      "Kurulum bilgilerinde güvenli olmayan marka adı: %1", "Недопустимое название бренда в данных установки: %1",
      "Osäkert varumärkesnamn i installationsdata: %1", "Usikkert varemærkenavn i installationsdata: %1"}},
    {TextId::kUnsafeRegistryEntry,
     {"Unsafe registry entry in manifest: %1", "Unsicherer Registrierungseintrag in den Installationsdaten: %1",
      "Voce di registro non sicura nei dati di installazione: %1",
      "Entrada de registro no segura en los datos de instalación: %1",
      "Entrée de registre non sûre dans les données d'installation : %1", "安装数据中的注册表项不安全：%1",
      "インストール情報のレジストリ エントリが安全ではありません: %1", "רשומת רישום לא בטוחה בנתוני ההתקנה: %1",
      "Onveilige registervermelding in de installatiegegevens: %1",
      "Μη ασφαλής καταχώριση μητρώου στα δεδομένα εγκατάστασης: %1",
      "Kurulum bilgilerinde güvenli olmayan kayıt defteri girdisi: %1",
      "Недопустимая запись реестра в данных установки: %1", "Osäker registerpost i installationsdata: %1",
      "Usikker registreringspost i installationsdata: %1"}},
    {TextId::kUnsafePath,
     {"Unsafe path in manifest: %1", "Unsicherer Pfad in den Installationsdaten: %1",
      "Percorso non sicuro nei dati di installazione: %1", "Ruta no segura en los datos de instalación: %1",
      "Chemin non sûr dans les données d'installation : %1", "安装数据中的路径不安全：%1",
      "インストール情報のパスが安全ではありません: %1", "נתיב לא בטוח בנתוני ההתקנה: %1",
      "Onveilig pad in de installatiegegevens: %1", "Μη ασφαλής διαδρομή στα δεδομένα εγκατάστασης: %1",
      "Kurulum bilgilerinde güvenli olmayan yol: %1", "Недопустимый путь в данных установки: %1",
      "Osäker sökväg i installationsdata: %1", "Usikker sti i installationsdata: %1"}},
    {TextId::kMalformedChecksum,
     {"Malformed checksum in manifest: %1", "Fehlerhafte Prüfsumme in den Installationsdaten: %1",
      "Checksum non valido nei dati di installazione: %1",
      "Suma de comprobación no válida en los datos de instalación: %1",
      "Somme de contrôle mal formée dans les données d'installation : %1", "安装数据中的校验和格式错误：%1",
      "インストール情報のチェックサムの形式が正しくありません: %1", "סכום ביקורת פגום בנתוני ההתקנה: %1",
      "Ongeldige controlesom in de installatiegegevens: %1",
      "Εσφαλμένο άθροισμα ελέγχου στα δεδομένα εγκατάστασης: %1",
      "Kurulum bilgilerinde hatalı sağlama toplamı: %1", "Неверная контрольная сумма в данных установки: %1",
      "Felaktig kontrollsumma i installationsdata: %1", "Forkert kontrolsum i installationsdata: %1"}},
    {TextId::kMalformedSize,
     {"Malformed size in manifest: %1", "Fehlerhafte Größe in den Installationsdaten: %1",
      "Dimensione non valida nei dati di installazione: %1", "Tamaño no válido en los datos de instalación: %1",
      "Taille mal formée dans les données d'installation : %1", "安装数据中的大小格式错误：%1",
      "インストール情報のサイズの形式が正しくありません: %1", "גודל פגום בנתוני ההתקנה: %1",
      "Ongeldige grootte in de installatiegegevens: %1", "Εσφαλμένο μέγεθος στα δεδομένα εγκατάστασης: %1",
      "Kurulum bilgilerinde hatalı boyut: %1", "Неверный размер в данных установки: %1",
      "Felaktig storlek i installationsdata: %1", "Forkert størrelse i installationsdata: %1"}},
    {TextId::kMissingChecksum,
     {"Missing checksum in manifest: %1", "Fehlende Prüfsumme in den Installationsdaten: %1",
      "Checksum mancante nei dati di installazione: %1",
      "Falta la suma de comprobación en los datos de instalación: %1",
      "Somme de contrôle manquante dans les données d'installation : %1", "安装数据中缺少校验和：%1",
      "インストール情報にチェックサムがありません: %1", "חסר סכום ביקורת בנתוני ההתקנה: %1",
      "Ontbrekende controlesom in de installatiegegevens: %1",
      "Λείπει το άθροισμα ελέγχου από τα δεδομένα εγκατάστασης: %1",
      "Kurulum bilgilerinde sağlama toplamı eksik: %1", "В данных установки нет контрольной суммы: %1",
      "Kontrollsumma saknas i installationsdata: %1", "Kontrolsum mangler i installationsdata: %1"}},
    {TextId::kMissingSize,
     {"Missing size in manifest: %1", "Fehlende Größe in den Installationsdaten: %1",
      "Dimensione mancante nei dati di installazione: %1", "Falta el tamaño en los datos de instalación: %1",
      "Taille manquante dans les données d'installation : %1", "安装数据中缺少大小：%1",
      "インストール情報にサイズがありません: %1", "חסר גודל בנתוני ההתקנה: %1",
      "Ontbrekende grootte in de installatiegegevens: %1", "Λείπει το μέγεθος από τα δεδομένα εγκατάστασης: %1",
      "Kurulum bilgilerinde boyut eksik: %1", "В данных установки нет размера: %1",
      "Storlek saknas i installationsdata: %1", "Størrelse mangler i installationsdata: %1"}},
    {TextId::kUnsafeHost,
     {"Unsafe host in manifest: %1", "Unsicherer Server in den Installationsdaten: %1",
      "Server non sicuro nei dati di installazione: %1", "Servidor no seguro en los datos de instalación: %1",
      "Serveur non sûr dans les données d'installation : %1", "安装数据中的服务器不安全：%1",
      "インストール情報のサーバーが安全ではありません: %1", "שרת לא בטוח בנתוני ההתקנה: %1",
      "Onveilige server in de installatiegegevens: %1", "Μη ασφαλής διακομιστής στα δεδομένα εγκατάστασης: %1",
      "Kurulum bilgilerinde güvenli olmayan sunucu: %1", "Недопустимый сервер в данных установки: %1",
      "Osäker server i installationsdata: %1", "Usikker server i installationsdata: %1"}},
    {TextId::kUnsignedManifest,
     {"Unsigned manifest", "Die Installationsdaten sind nicht signiert.", "I dati di installazione non sono firmati.",
      "Los datos de instalación no están firmados.", "Les données d'installation ne sont pas signées.",
      "安装数据未签名。", "インストール情報に署名がありません。", "נתוני ההתקנה אינם חתומים.",
      "De installatiegegevens zijn niet ondertekend.", "Τα δεδομένα εγκατάστασης δεν είναι υπογεγραμμένα.",
      "Kurulum bilgileri imzalı değil.", "Данные установки не подписаны.", "Installationsdata är inte signerade.",
      "Installationsdata er ikke signeret."}},
    {TextId::kInvalidSignature,
     {"Invalid manifest signature", "Die Signatur der Installationsdaten ist ungültig.",
      "La firma dei dati di installazione non è valida.", "La firma de los datos de instalación no es válida.",
      "La signature des données d'installation n'est pas valide.", "安装数据的签名无效。",
      "インストール情報の署名が無効です。", "החתימה של נתוני ההתקנה אינה תקפה.",
      "De handtekening van de installatiegegevens is ongeldig.",
      "Η υπογραφή των δεδομένων εγκατάστασης δεν είναι έγκυρη.", "Kurulum bilgilerinin imzası geçersiz.",
      "Подпись данных установки недействительна.", "Signaturen för installationsdata är ogiltig.",
      "Signaturen på installationsdata er ugyldig."}},
    {TextId::kOutdatedManifest,
     {"Outdated manifest: %1", "Veraltete Installationsdaten: %1", "Dati di installazione obsoleti: %1",
      "Datos de instalación obsoletos: %1", "Données d'installation obsolètes : %1", "安装数据已过时：%1",
      "インストール情報が古くなっています: %1", "נתוני ההתקנה מיושנים: %1", "Verouderde installatiegegevens: %1",
      "Παρωχημένα δεδομένα εγκατάστασης: %1", "Kurulum bilgileri eski: %1", "Устаревшие данные установки: %1",
      "Föråldrade installationsdata: %1", "Forældede installationsdata: %1"}},
    {TextId::kExpiredManifest,
     {"Expired manifest: %1", "Abgelaufene Installationsdaten: %1", "Dati di installazione scaduti: %1",
      "Datos de instalación caducados: %1", "Données d'installation expirées : %1", "安装数据已过期：%1",
      "インストール情報の有効期限が切れています: %1", "תוקף נתוני ההתקנה פג: %1",
      "Verlopen installatiegegevens: %1", "Ληγμένα δεδομένα εγκατάστασης: %1",
      "Kurulum bilgilerinin süresi dolmuş: %1", "Срок действия данных установки истёк: %1",
      "Installationsdata har gått ut: %1", "Installationsdata er udløbet: %1"}},
    {TextId::kUninstall,
     {"Uninstall", "Deinstallation", "Disinstallazione", "Desinstalación", "Désinstallation", "卸载",
      "アンインストール", "הסרת התקנה", "Verwijderen", "Κατάργηση εγκατάστασης", "Kaldırma", "Удаление",
      "Avinstallation", "Afinstallation"}},
    {TextId::kUninstallWrongPlace,
     {"This uninstaller must run from the client's folder under Program Files.",
      "Dieses Deinstallationsprogramm muss aus dem Programmordner unter Program Files gestartet werden.",
      "Questo programma di disinstallazione deve essere avviato dalla cartella del programma in Program Files.",
      "Este desinstalador debe ejecutarse desde la carpeta del programa en Program Files.",
      "Ce programme de désinstallation doit être lancé depuis le dossier du programme sous Program Files.",
      "此卸载程序必须从 Program Files 下的程序文件夹中运行。",
      "このアンインストーラーは Program Files 内のプログラム フォルダーから実行する必要があります。",
      "יש להפעיל את תוכנית ההסרה מתיקיית התוכנה שתחת Program Files.",
      "Dit verwijderprogramma moet worden gestart vanuit de programmamap onder Program Files.",
      "Αυτό το πρόγραμμα κατάργησης πρέπει να εκτελείται από τον φάκελο του προγράμματος στα Program Files.",
      "Bu kaldırma programı, Program Files altındaki program klasöründen çalıştırılmalıdır.",
      "Эту программу удаления нужно запускать из папки программы в Program Files.",
      "Avinstallationsprogrammet måste köras från programmets mapp under Program Files.",
      "Afinstallationsprogrammet skal køres fra programmets mappe under Program Files."}},
    {TextId::kUninstallQuestion,
     {"Remove %1 and all its files?", "Möchten Sie %1 mit allen Dateien entfernen?",
      "Rimuovere %1 e tutti i suoi file?", "¿Desea quitar %1 y todos sus archivos?",
      "Voulez-vous supprimer %1 et tous ses fichiers ?", "是否删除 %1 及其所有文件？",
      "%1 とそのすべてのファイルを削除しますか?", "להסיר את %1 ואת כל הקבצים שלו?",
      "Wilt u %1 en alle bestanden ervan verwijderen?", "Να καταργηθεί το %1 και όλα τα αρχεία του;",
      "%1 ve tüm dosyaları kaldırılsın mı?", "Удалить %1 и все его файлы?",
      "Vill du ta bort %1 och alla dess filer?", "Vil du fjerne %1 og alle dets filer?"}},
    {TextId::kUninstallLeft,
     {"Some files could not be removed: %1", "Einige Dateien konnten nicht entfernt werden: %1",
      "Alcuni file non sono stati rimossi: %1", "No se pudieron quitar algunos archivos: %1",
      "Certains fichiers n'ont pas pu être supprimés : %1", "部分文件无法删除：%1",
      "一部のファイルを削除できませんでした: %1", "לא ניתן היה להסיר חלק מהקבצים: %1",
      "Sommige bestanden konden niet worden verwijderd: %1", "Ορισμένα αρχεία δεν ήταν δυνατό να καταργηθούν: %1",
      "Bazı dosyalar kaldırılamadı: %1", "Не удалось удалить некоторые файлы: %1",
      "Vissa filer kunde inte tas bort: %1", "Nogle filer kunne ikke fjernes: %1"}},
};

static_assert(sizeof kTextTable / sizeof kTextTable[0] == static_cast<size_t>(TextId::kCount),
              "one row for every text");

std::atomic<int> g_player_language{player_texts::kEnglish};

int ColumnOf(int language_id)
{
    for (int column = 0; column < player_texts::kLanguages; ++column)
        if (player_texts::kLanguageColumns[column].id == language_id)
            return column;
    return 0;
}

} // namespace

const char* PlayerTextUtf8(TextId id, int language_id)
{
    return kTextTable[static_cast<int>(id)].text[ColumnOf(language_id)];
}

bool IsRightToLeft(int language_id) { return player_texts::kLanguageColumns[ColumnOf(language_id)].right_to_left; }

int PlayerLanguage() { return g_player_language.load(); }

void SetPlayerLanguage(int language_id) { g_player_language.store(language_id); }

std::string FillText(std::string_view pattern, const std::string_view* arguments, size_t count)
{
    std::string text;
    text.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const size_t place = static_cast<size_t>(pattern[++i] - '1');
            if (place < count)
                text += arguments[place];
            continue;
        }
        text += c;
    }
    return text;
}

bool ReadEnglishText(std::string_view text, std::initializer_list<TextId> ids, TextId& id, std::string& argument)
{
    for (TextId candidate : ids) {
        const std::string_view english = EnglishText(candidate);
        const size_t place = english.find("%1");
        const bool ends_in_place = place != std::string_view::npos && place + 2 == english.size();
        const std::string_view fixed = ends_in_place ? english.substr(0, place) : english;
        if (ends_in_place ? text.substr(0, fixed.size()) == fixed : text == fixed) {
            id = candidate;
            argument = std::string(text.substr(fixed.size()));
            return true;
        }
    }
    return false;
}
