#include "service/PhrasebookTables.h"

namespace quillmar::service {

namespace {

// Where a source phrase has several meanings, the first row that holds it wins.
constexpr PhrasebookEntry kEntries[] = {
    // Columns: en, fr, de, it, pt, es, ru.
    {{"hello", "bonjour", "hallo", "ciao", "olá", "hola", "привет"}},
    {{"hi", "salut", "hallo", "ciao", "oi", "hola", "привет"}},
    {{"good morning", "bonjour", "guten Morgen", "buongiorno", "bom dia", "buenos días", "доброе утро"}},
    {{"good afternoon", "bon après-midi", "guten Tag", "buon pomeriggio", "boa tarde", "buenas tardes",
      "добрый день"}},
    {{"good evening", "bonsoir", "guten Abend", "buonasera", "boa noite", "buenas noches", "добрый вечер"}},
    {{"good night", "bonne nuit", "gute Nacht", "buonanotte", "boa noite", "buenas noches",
      "спокойной ночи"}},
    {{"goodbye", "au revoir", "auf Wiedersehen", "arrivederci", "adeus", "adiós", "до свидания"}},
    {{"bye", "salut", "tschüss", "ciao", "tchau", "adiós", "пока"}},
    {{"see you later", "à plus tard", "bis später", "a dopo", "até logo", "hasta luego", "до встречи"}},
    {{"see you tomorrow", "à demain", "bis morgen", "a domani", "até amanhã", "hasta mañana", "до завтра"}},
    {{"see you soon", "à bientôt", "bis bald", "a presto", "até breve", "hasta pronto", "до скорого"}},
    {{"thank you very much", "merci beaucoup", "vielen Dank", "grazie mille", "muito obrigado",
      "muchas gracias", "большое спасибо"}},
    {{"thank you", "merci", "danke", "grazie", "obrigado", "gracias", "спасибо"}},
    {{"thanks", "merci", "danke", "grazie", "obrigado", "gracias", "спасибо"}},
    {{"please", "s'il vous plaît", "bitte", "per favore", "por favor", "por favor", "пожалуйста"}},
    {{"you're welcome", "de rien", "gern geschehen", "prego", "de nada", "de nada", "не за что"}},
    {{"yes", "oui", "ja", "sì", "sim", "sí", "да"}},
    {{"no", "non", "nein", "no", "não", "no", "нет"}},
    {{"how are you", "comment allez-vous", "wie geht es dir", "come stai", "como está", "cómo estás",
      "как дела"}},
    {{"I am fine", "je vais bien", "mir geht es gut", "sto bene", "estou bem", "estoy bien",
      "у меня всё хорошо"}},
    {{"I'm fine", "je vais bien", "mir geht es gut", "sto bene", "estou bem", "estoy bien",
      "у меня всё хорошо"}},
    {{"fine", "bien", "gut", "bene", "bem", "bien", "хорошо"}},
    {{"and you", "et vous", "und dir", "e tu", "e você", "y tú", "а ты"}},
    {{"sorry", "désolé", "Entschuldigung", "scusa", "desculpe", "lo siento", "извините"}},
    {{"excuse me", "excusez-moi", "entschuldigen Sie", "mi scusi", "com licença", "disculpe", "простите"}},
    {{"I don't understand", "je ne comprends pas", "ich verstehe nicht", "non capisco", "não entendo",
      "no entiendo", "я не понимаю"}},
    {{"I love you", "je t'aime", "ich liebe dich", "ti amo", "eu te amo", "te quiero", "я тебя люблю"}},
    {{"what is your name", "comment vous appelez-vous", "wie heißt du", "come ti chiami", "qual é o seu nome",
      "cómo te llamas", "как тебя зовут"}},
    {{"my name is", "je m'appelle", "ich heiße", "mi chiamo", "meu nome é", "me llamo", "меня зовут"}},
    {{"where are you", "où es-tu", "wo bist du", "dove sei", "onde você está", "dónde estás", "где ты"}},
    {{"happy birthday", "joyeux anniversaire", "alles Gute zum Geburtstag", "buon compleanno",
      "feliz aniversário", "feliz cumpleaños", "с днём рождения"}},
    {{"congratulations", "félicitations", "herzlichen Glückwunsch", "congratulazioni", "parabéns",
      "felicidades", "поздравляю"}},
    {{"good luck", "bonne chance", "viel Glück", "buona fortuna", "boa sorte", "buena suerte", "удачи"}},
    {{"have a nice day", "bonne journée", "schönen Tag noch", "buona giornata", "tenha um bom dia",
      "que tengas un buen día", "хорошего дня"}},
    {{"very good", "très bien", "sehr gut", "molto bene", "muito bom", "muy bien", "очень хорошо"}},
    {{"okay", "d'accord", "okay", "va bene", "tudo bem", "vale", "ладно"}},
    {{"ok", "d'accord", "okay", "va bene", "tudo bem", "vale", "ладно"}},
    {{"welcome", "bienvenue", "willkommen", "benvenuto", "bem-vindo", "bienvenido", "добро пожаловать"}},
    {{"my friend", "mon ami", "mein Freund", "amico mio", "meu amigo", "mi amigo", "мой друг"}},
    {{"friend", "ami", "Freund", "amico", "amigo", "amigo", "друг"}},
    {{"today", "aujourd'hui", "heute", "oggi", "hoje", "hoy", "сегодня"}},
    {{"tomorrow", "demain", "morgen", "domani", "amanhã", "mañana", "завтра"}},
    {{"yesterday", "hier", "gestern", "ieri", "ontem", "ayer", "вчера"}},
    {{"now", "maintenant", "jetzt", "adesso", "agora", "ahora", "сейчас"}},
    {{"later", "plus tard", "später", "più tardi", "mais tarde", "más tarde", "позже"}},
    {{"good", "bon", "gut", "buono", "bom", "bueno", "хороший"}},
    {{"bad", "mauvais", "schlecht", "cattivo", "mau", "malo", "плохой"}},
    {{"I", "je", "ich", "io", "eu", "yo", "я"}},
    {{"you", "vous", "du", "tu", "você", "tú", "ты"}},
    {{"we", "nous", "wir", "noi", "nós", "nosotros", "мы"}},
    {{"and", "et", "und", "e", "e", "y", "и"}},
    {{"with", "avec", "mit", "con", "com", "con", "с"}},
    {{"love", "amour", "Liebe", "amore", "amor", "amor", "любовь"}},
    {{"message", "message", "Nachricht", "messaggio", "mensagem", "mensaje", "сообщение"}},
    {{"water", "eau", "Wasser", "acqua", "água", "agua", "вода"}},
    {{"coffee", "café", "Kaffee", "caffè", "café", "café", "кофе"}},
    {{"home", "maison", "Zuhause", "casa", "casa", "casa", "дом"}},
    {{"work", "travail", "Arbeit", "lavoro", "trabalho", "trabajo", "работа"}},
    {{"world", "monde", "Welt", "mondo", "mundo", "mundo", "мир"}},
    {{"help", "aide", "Hilfe", "aiuto", "ajuda", "ayuda", "помощь"}},
};

}  // namespace

std::span<const PhrasebookEntry> PhrasebookEntries() {
    return kEntries;
}

}  // namespace quillmar::service
